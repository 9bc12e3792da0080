#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace krwtest {

// One SNMPv3 user of the test agent. Protocols are given as Net-SNMP's tools
// spell them ("SHA", "SHA-512", "AES", "AES-256"); empty for none.
struct SnmpdUser {
    std::string name;
    std::string authProtocol;
    std::string authPassword;
    std::string privProtocol;
    std::string privPassword;
};

// What an agent restarted keeps: its persistent state (engine boots, and its
// engine identifier unless the configuration fixes one), or nothing.
enum class AgentState { kept, wiped };

// Net-SNMP's snmpd, started in the foreground on a free loopback UDP port with
// a configuration of its own (no system files, state kept in a scratch folder)
// and stopped by its process id.
//
// Communities: "public" reads, "private" reads and writes (SNMPv1 and v2c).
// Users (all may write; each one only at its own security level or above):
//   "noAuthUser"  no authentication
//   "authUser"    SHA "authpassword1"
//   "privUser"    SHA "authpassword1", AES "privpassword1"
//   "strongUser"  SHA-512 "authpassword2", AES-256 "privpassword2"
class CSnmpdAgent {
public:
    static const char* const kReadCommunity;
    static const char* const kWriteCommunity;

    CSnmpdAgent();
    explicit CSnmpdAgent(std::vector<SnmpdUser> users);
    ~CSnmpdAgent();
    CSnmpdAgent(const CSnmpdAgent&) = delete;
    CSnmpdAgent& operator=(const CSnmpdAgent&) = delete;

    static std::vector<SnmpdUser> DefaultUsers();
    static SnmpdUser User(const std::string& name);

    // Starts the agent and waits (bounded) until it answers; false with a
    // reason in *error when it could not be started.
    bool Start(std::string* error = nullptr);
    void Stop();
    // Stops the agent and starts it again on the same port, as a device that
    // reboots (state kept: its engine boots once more) or that is reset.
    bool Restart(AgentState state, std::string* error = nullptr);
    // Fixes the agent's SNMPv3 engine identifier (text) from the next start on.
    void SetEngineId(const std::string& text) { engineId = text; }

    bool IsRunning() const { return pid > 0; }
    unsigned short Port() const { return port; }
    pid_t Pid() const { return pid; }
    // The agent's address as Net-SNMP's tools take it: "udp:127.0.0.1:<port>".
    std::string ToolTarget() const;
    // The scratch folder of this agent (configuration, state, log).
    const std::string& Folder() const { return folder; }

    // Runs one of Net-SNMP's tools with the given arguments followed by the
    // agent's address and the OIDs; returns its standard output with the last
    // newline removed; *status receives the exit status.
    std::string RunTool(const std::string& program, const std::vector<std::string>& args,
                        const std::vector<std::string>& oids, int* status = nullptr) const;
    // "snmpget -On -Oe -v2c -c public <agent> <oid>" as the tool prints it.
    std::string Snmpget(const std::string& oid, int* status = nullptr) const;

private:
    bool WriteConfiguration(std::string* error);
    bool Launch(std::string* error);
    bool WaitUntilAnswering();
    void StopProcess();

    std::vector<SnmpdUser> users;
    std::string engineId;
    std::string folder;
    unsigned short port = 0;
    pid_t pid = -1;
};

}  // namespace krwtest
