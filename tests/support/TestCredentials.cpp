#include "tests/support/TestCredentials.h"

#include <crypt.h>
#include <gnutls/gnutls.h>
#include <gnutls/x509.h>
#include <gtest/gtest.h>

#include <ctime>

namespace krwtest {

namespace {

template <typename T>
std::string Pem(int (*exporter)(T, gnutls_x509_crt_fmt_t, gnutls_datum_t*), T object)
{
    gnutls_datum_t out = {nullptr, 0};
    EXPECT_GE(exporter(object, GNUTLS_X509_FMT_PEM, &out), 0);
    std::string pem(reinterpret_cast<const char*>(out.data), out.size);
    gnutls_free(out.data);
    return pem;
}

}  // namespace

// A fresh self-signed certificate and its key.
void MakeCertificate(std::string* certPem, std::string* keyPem)
{
    gnutls_x509_privkey_t key;
    gnutls_x509_crt_t crt;
    ASSERT_GE(gnutls_x509_privkey_init(&key), 0);
    ASSERT_GE(gnutls_x509_crt_init(&crt), 0);
    const unsigned bits = GNUTLS_CURVE_TO_BITS(GNUTLS_ECC_CURVE_SECP256R1);
    EXPECT_GE(gnutls_x509_privkey_generate(key, GNUTLS_PK_ECDSA, bits, 0), 0);
    const unsigned char serial[] = {1};
    gnutls_x509_crt_set_version(crt, 3);
    gnutls_x509_crt_set_serial(crt, serial, sizeof serial);
    gnutls_x509_crt_set_activation_time(crt, std::time(nullptr) - 60);
    gnutls_x509_crt_set_expiration_time(crt, std::time(nullptr) + 3600);
    gnutls_x509_crt_set_dn_by_oid(crt, GNUTLS_OID_X520_COMMON_NAME, 0, "localhost", 9);
    gnutls_x509_crt_set_key(crt, key);
    EXPECT_GE(gnutls_x509_crt_sign2(crt, crt, key, GNUTLS_DIG_SHA256, 0), 0);
    *certPem = Pem(gnutls_x509_crt_export2, crt);
    *keyPem = Pem(gnutls_x509_privkey_export2, key);
    gnutls_x509_crt_deinit(crt);
    gnutls_x509_privkey_deinit(key);
}

std::string Bcrypt(const std::string& password, unsigned long cost)
{
    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    crypt_data data{};
    EXPECT_NE(nullptr, crypt_gensalt_rn("$2b$", cost, nullptr, 0, setting, sizeof setting));
    const char* hash = crypt_rn(password.c_str(), setting, &data, sizeof data);
    return hash ? hash : "";
}

}  // namespace krwtest
