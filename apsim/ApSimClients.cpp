#include "apsim/ApSimClients.h"

#include <cctype>
#include <fstream>
#include <random>
#include <sstream>

namespace {

const int kOctets = 6;

CApClient Client(const char* hexMac, int band, int authentication, int rssi, int powerSave, const char* ssid)
{
    CApClient client;
    for (int i = 0; i < kOctets; ++i)
        client.mac.push_back(static_cast<char>(std::stoi(std::string(hexMac + 2 * i, 2), nullptr, 16)));
    client.band = band;
    client.authentication = authentication;
    client.rssi = rssi;
    client.powerSave = powerSave;
    client.ssidIndex = ssid;
    return client;
}

bool ParseMac(const std::string& text, std::string* mac)
{
    std::string digits;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
        else if (c != ':' && c != '-' && c != ' ')
            return false;
    }
    if (digits.size() != 2 * kOctets)
        return false;
    mac->clear();
    for (int i = 0; i < kOctets; ++i)
        mac->push_back(static_cast<char>(std::stoi(digits.substr(2 * i, 2), nullptr, 16)));
    return true;
}

bool ParseInt(const std::string& text, int* value)
{
    try {
        size_t used = 0;
        *value = std::stoi(text, &used);
        return used == text.size();
    } catch (const std::exception&) {
        return false;
    }
}

bool ParseLine(std::string line, CApClient* client)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ','))
        fields.push_back(field);
    if (fields.size() != 6)
        return false;
    client->ssidIndex = fields[5];
    return ParseMac(fields[0], &client->mac) && ParseInt(fields[1], &client->band) &&
           ParseInt(fields[2], &client->authentication) && ParseInt(fields[3], &client->rssi) &&
           ParseInt(fields[4], &client->powerSave);
}

}  // namespace

std::vector<CApClient> SampleClients()
{
    return {
        Client("000D88123456", 0, 6, -48, 0, "1"),
        Client("A0B1C2D3E4F5", 1, 7, -61, 1, "2"),
        Client("0C8BFD0A1B2C", 1, 4, -70, 0, "1"),
    };
}

std::vector<CApClient> GeneratedClients(int count, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<CApClient> clients;
    for (int i = 0; i < count; ++i) {
        CApClient client;
        for (int octet = 0; octet < kOctets; ++octet)
            client.mac.push_back(static_cast<char>(random() & 0xFF));
        client.mac[0] = static_cast<char>(client.mac[0] & 0xFE);  // a unicast address
        client.band = static_cast<int>(random() % 2);
        client.authentication = 1 + static_cast<int>(random() % 11);
        client.rssi = -30 - static_cast<int>(random() % 60);
        client.powerSave = static_cast<int>(random() % 2);
        client.ssidIndex = std::to_string(1 + random() % 4);
        clients.push_back(client);
    }
    return clients;
}

bool ReadClientsCsv(const std::string& path, std::vector<CApClient>* clients, std::string* error)
{
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#')
            continue;
        CApClient client;
        if (!ParseLine(line, &client)) {
            *error = path + ":" + std::to_string(number) + ": not MAC,band,authentication,rssi,powersave,ssid";
            return false;
        }
        clients->push_back(client);
    }
    return true;
}
