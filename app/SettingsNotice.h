#pragma once
// The start-up notice about settings files the registry left untouched.

// Shows one warning box (through Dialogs()) naming every hive file that was
// left untouched (its layout is not this program's, it is no file at all, or
// another program holds it locked), with what was found, and saying that the
// program goes on with default settings in their place. Shows nothing when
// every hive is in use.
void ReportUntouchedHives();
