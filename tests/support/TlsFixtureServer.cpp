#include "TlsFixtureServer.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>
#include <openssl/x509v3.h>

#include <array>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Certificate = std::unique_ptr<X509, decltype(&X509_free)>;

constexpr long SecondsPerDay = 24 * 60 * 60;

void check(bool done, const char* what)
{
    if (!done)
        throw std::runtime_error(std::string("TLS fixture: ") + what);
}

// A random serial, so that two fixtures of one process never share issuer
// and serial (certificate stores refuse such a pair).
void setRandomSerial(X509* certificate)
{
    std::array<unsigned char, 8> bytes{};
    check(RAND_bytes(bytes.data(), int(bytes.size())) == 1, "no random serial");
    bytes[0] &= 0x7f; // positive
    std::unique_ptr<BIGNUM, decltype(&BN_free)> number(BN_bin2bn(bytes.data(), int(bytes.size()), nullptr), BN_free);
    check(number && BN_to_ASN1_INTEGER(number.get(), X509_get_serialNumber(certificate)), "serial");
}

Certificate selfSignedFor127001(EVP_PKEY* key)
{
    Certificate certificate(X509_new(), X509_free);
    check(certificate && X509_set_version(certificate.get(), 2), "certificate");
    setRandomSerial(certificate.get());
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -SecondsPerDay);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 30 * SecondsPerDay);
    check(X509_set_pubkey(certificate.get(), key), "public key");
    X509_NAME* name = X509_get_subject_name(certificate.get());
    check(X509_NAME_add_entry_by_txt(
              name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0),
        "subject");
    check(X509_set_issuer_name(certificate.get(), name), "issuer");
    // Engines match the host against the alternative names only.
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate.get(), certificate.get(), nullptr, nullptr, 0);
    X509_EXTENSION* altName = X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, "IP:127.0.0.1");
    check(altName && X509_add_ext(certificate.get(), altName, -1), "alternative name");
    X509_EXTENSION_free(altName);
    check(X509_sign(certificate.get(), key, EVP_sha256()) > 0, "signature");
    return certificate;
}

std::string spkiPinOf(EVP_PKEY* key)
{
    const int length = i2d_PUBKEY(key, nullptr);
    check(length > 0, "public key encoding");
    std::vector<unsigned char> der(static_cast<std::size_t>(length));
    unsigned char* end = der.data();
    i2d_PUBKEY(key, &end);
    std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
    SHA256(der.data(), der.size(), digest.data());
    std::array<char, 4 * ((SHA256_DIGEST_LENGTH + 2) / 3) + 1> base64{};
    EVP_EncodeBlock(reinterpret_cast<unsigned char*>(base64.data()), digest.data(), int(digest.size()));
    return base64.data();
}

} // namespace

struct TlsFixtureServer::Credentials {
    std::unique_ptr<httplib::Server> server;
    std::string spkiPin;
};

TlsFixtureServer::TlsFixtureServer()
    : TlsFixtureServer([] {
          Key key(EVP_EC_gen("P-256"), EVP_PKEY_free);
          check(key != nullptr, "key");
          const Certificate certificate = selfSignedFor127001(key.get());
          // The server's context takes its own references to both.
          auto server = std::make_unique<httplib::SSLServer>(certificate.get(), key.get());
          check(server->is_valid(), "server context");
          return Credentials{std::move(server), spkiPinOf(key.get())};
      }())
{}

TlsFixtureServer::TlsFixtureServer(Credentials credentials)
    : FixtureServer(std::move(credentials.server), "https"), spkiPin_(std::move(credentials.spkiPin))
{}
