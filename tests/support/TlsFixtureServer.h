#pragma once
// A loopback HTTPS server for tests: a FixtureServer speaking TLS with a
// self-signed certificate for 127.0.0.1, made with a fresh key when the server
// is created. No engine trusts it by itself; spkiPin() names its key the way
// Chromium's --ignore-certificate-errors-spki-list takes it, so that a test
// can make the engine trust this one server and no other.
#include "FixtureServer.h"

#include <string>

class TlsFixtureServer : public FixtureServer {
public:
    TlsFixtureServer();

    // Base64 of the SHA-256 digest of the certificate's SubjectPublicKeyInfo.
    const std::string& spkiPin() const { return spkiPin_; }

private:
    struct Credentials;
    explicit TlsFixtureServer(Credentials credentials);

    std::string spkiPin_;
};
