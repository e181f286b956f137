#pragma once
// URLDownloadToFile: one address fetched into one file, blocking the calling
// thread until the transfer ends.
#include "platform/urlmon/UrlMon.h"

// Writes what url answers to fileName through a temporary name, so that the
// file appears only complete. S_OK once written; the binding's failure
// (INET_E_*), INET_E_DOWNLOAD_FAILURE for an HTTP error answer (400 and
// above) or E_FAIL when the file cannot be written, and no file then.
// caller, reserved and callback are kept for the call's shape; a callback
// given receives the binding's reports.
HRESULT URLDownloadToFile(void* caller, const std::u16string& url, const std::u16string& fileName, DWORD reserved,
    IBindStatusCallback* callback);
