#pragma once

#include "exporter/ExporterWebConfig.h"

#include <gnutls/gnutls.h>

// Whether the client's certificate on session meets the policy: the server
// asks for one whenever it has client CAs, and checks it here, against
// those CAs.
bool ClientCertificateAccepted(gnutls_session_t session, CClientAuth policy);
