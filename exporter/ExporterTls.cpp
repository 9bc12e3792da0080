#include "exporter/ExporterTls.h"

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
    unsigned int status = 0;
    return gnutls_certificate_verify_peers2(session, &status) == 0 && status == 0;
}
