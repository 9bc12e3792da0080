#pragma once

#include <string>

namespace krwtest {

// A fresh self-signed certificate for "localhost" and its key, as PEM.
void MakeCertificate(std::string* certPem, std::string* keyPem);

// A bcrypt hash of password, at the lowest cost unless told, so that tests
// stay fast.
std::string Bcrypt(const std::string& password, unsigned long cost = 4);

}  // namespace krwtest
