#pragma once
// The engine profile every control uses. All of the engine's own files live
// in the user's profile folder: its storage (preferences, cookies, local and
// session storage, history of visited links, site icons) in "Engine", its
// HTTP cache in "Cache/Engine". Outside it the engine uses only the NSS
// certificate database the user shares with other programs (~/.pki/nssdb),
// which it creates there when it first checks a secure page's certificate.
class QWebEngineProfile;

QWebEngineProfile* EngineProfile();
