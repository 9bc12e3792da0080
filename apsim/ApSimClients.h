#pragma once

#include <string>
#include <vector>

// One wireless client as the access point's client table shows it.
struct CApClient {
    std::string mac;  // six octets
    int band = 0;     // 0 2.4GHz, 1 5GHz
    int authentication = 1;
    int rssi = 0;
    int powerSave = 0;
    std::string ssidIndex;
};

// Three clients of a small office.
std::vector<CApClient> SampleClients();

// count clients made up from seed; the same seed gives the same clients.
std::vector<CApClient> GeneratedClients(int count, unsigned seed);

// One client per line: MAC (twelve hexadecimal digits, ":" or "-" between
// octets allowed), band, authentication, RSSI, power save, SSID index,
// separated by commas; empty lines and lines starting with "#" are skipped.
// False with the line that is wrong in *error.
bool ReadClientsCsv(const std::string& path, std::vector<CApClient>* clients, std::string* error);
