#include "plugin/ClientVarSet.h"

namespace {

const OptionPair kRefreshPairs[] = {
    {0, "nothing"},
    {1, "get"},
    {0, nullptr},
};

const OptionPair kClientBandPairs[] = {
    {0, "2.4GHz"},
    {1, "5GHz"},
    {0, nullptr},
};

const OptionPair kAuthenticationPairs[] = {
    {1, "OPEN"},
    {2, "Shared Key"},
    {3, "opensystem-sharedkey"},
    {4, "WPA-Personal"},
    {5, "WPA-Enterprise"},
    {6, "WPA2-Personal"},
    {7, "WPA2-Enterprise"},
    {8, "WPA-Auto-Personal"},
    {9, "WPA-Auto-Enterprise"},
    {10, "802.1X/WEP"},
    {11, "WEP"},
    {0, nullptr},
};

const OptionPair kPowerSavePairs[] = {
    {0, "Off"},
    {1, "On"},
    {0, nullptr},
};

const OptionPair kApBandPairs[] = {
    {0, "2.4GHz"},
    {1, "5GHz"},
    {0, nullptr},
};

}  // namespace

COptionList RefreshOptions(kRefreshPairs, COptionList::KIND_INTEGER, false);
COptionList ClientBandOptions(kClientBandPairs, COptionList::KIND_INTEGER, false);
COptionList AuthenticationOptions(kAuthenticationPairs, COptionList::KIND_INTEGER, false);
COptionList PowerSaveOptions(kPowerSavePairs, COptionList::KIND_INTEGER, false);
COptionList ApBandOptions(kApBandPairs, COptionList::KIND_INTEGER, false);

const CSnmpVarDef kRefreshDefinitions[] = {
    {"1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.1.1.1.1", "dot11ClientInformationRefresh", SYNTAX_INTEGER, ACCESS_READWRITE,
     &RefreshOptions, nullptr, nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
};

const CSnmpVarDef kClientTableDefinitions[] = {
    {"1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1.2", "dot11ClientMacAddress", SYNTAX_MACADDRESS, ACCESS_READONLY, nullptr,
     nullptr, nullptr, nullptr, nullptr, nullptr},
    {"1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1.3", "dot11ClientBand", SYNTAX_INTEGER, ACCESS_READONLY,
     &ClientBandOptions, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1.4", "dot11ClientAuthentication", SYNTAX_INTEGER, ACCESS_READONLY,
     &AuthenticationOptions, nullptr, nullptr, nullptr, nullptr, nullptr},
    {"1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1.5", "dot11ClientRssi", SYNTAX_INTEGER, ACCESS_READONLY, nullptr, nullptr,
     nullptr, nullptr, nullptr, nullptr},
    {"1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1.6", "dot11ClientPsm", SYNTAX_INTEGER, ACCESS_READONLY, &PowerSaveOptions,
     nullptr, nullptr, nullptr, nullptr, nullptr},
    {"1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1.7", "dot11SSIDIndex", SYNTAX_DISPLAYSTR, ACCESS_READONLY, nullptr,
     nullptr, nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
};

const CSnmpVarDef kApBandDefinitions[] = {
    {"1.3.6.1.4.1.32473.10.37.37.2.1.3.3.1.1.1.34.1", "dot11Band", SYNTAX_INTEGER, ACCESS_READWRITE, &ApBandOptions,
     nullptr, nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
};
