#include "exporter/ExporterTls.h"

#include <gnutls/x509.h>

bool ClientCertificateAccepted(gnutls_session_t session, CClientAuth policy)
{
    if (policy == CClientAuth::none || policy == CClientAuth::request)
        return true;
    unsigned int count = 0;
    const bool given = session != nullptr && gnutls_certificate_get_peers(session, &count) != nullptr && count > 0;
    if (!given)
        return policy == CClientAuth::verifyIfGiven;
    if (policy == CClientAuth::requireAny)
        return true;
    // As TLS clients are checked elsewhere: a certificate of the CA made for
    // another purpose (a server's) is no client certificate.
    gnutls_typed_vdata_st purpose{};
    purpose.type = GNUTLS_DT_KEY_PURPOSE_OID;
    purpose.data = reinterpret_cast<unsigned char*>(const_cast<char*>(GNUTLS_KP_TLS_WWW_CLIENT));
    unsigned int status = 0;
    return gnutls_certificate_verify_peers(session, &purpose, 1, &status) == 0 && status == 0;
}
