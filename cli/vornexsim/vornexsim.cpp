// vornexsim: makes and changes the state file of the simulated USB host, so a test or a person
// can plug, unplug and move the Vornex device, set what it reports and inject faults while the
// deck runs. The file format is described in src/hardware/usb_sim.h.
#include "hardware/device_protocol.h"
#include "hardware/usb_sim.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const USAGE =
    "usage: vornexsim FILE COMMAND [ARGUMENTS]\n"
    "  init [DESCRIPTION]          controller 0, root hub ROOT0 (4 ports), the device on port 1\n"
    "  empty                       controller 0 and root hub ROOT0 with nothing plugged in\n"
    "  hcd N ROOTHUB PORTS         add host controller N with its root hub\n"
    "  hub PARENT PORT NAME PORTS  plug an external hub into PARENT's PORT\n"
    "  plug HUB PORT [DESCRIPTION] plug a Vornex device in (\"Kelvara Vornex USB\")\n"
    "  other HUB PORT DESCRIPTION  plug in some other device\n"
    "  unplug [HUB PORT]           unplug every Vornex device, or whatever is on HUB PORT\n"
    "  move HUB PORT               move the first Vornex device there\n"
    "  lose                        the hubs lose every Vornex device the way a real hub does:\n"
    "                              no device on the port, its driver key and description stay\n"
    "  input 1|2                   input selection (register 6: 1 = IN1, 2 = IN2)\n"
    "  lock 48000|44100|32000|none digital-input lock (register 7)\n"
    "  power N                     power mode byte (register 8)\n"
    "  reg R V                     any register value\n"
    "  status B0 B1 B2 B3          channel status on the digital input\n"
    "  fault WHICH fail            requests WHICH fail (regR readR writeR status outK out all)\n"
    "  fault WHICH reply N         requests WHICH get N reply bytes\n"
    "  clear-faults                no more faults\n"
    "  cfgmgr missing|present      whether the configuration manager loads\n"
    "  show                        print the state file\n"
    "  wrote                       print what the device received, oldest first\n"
    "  clear-log                   forget what the device received\n";

const char* const DEVICE_CLASS_KEY = "{4d36e96c-e325-11ce-bfc1-08002be10318}";  // sound devices
const char* const HUB_CLASS_KEY = "{36fc9e60-c465-11cf-8056-444553540000}";     // USB

int Fail(const char* message) {
    std::fprintf(stderr, "vornexsim: %s\n", message);
    return 1;
}

int Number(const char* s, int* out) {
    char* end = nullptr;
    long v = std::strtol(s, &end, 0);
    if (!*s || *end) return 0;
    *out = int(v);
    return 1;
}

// A driver key not yet used in the model.
std::string NewKey(const SimModel& m, const char* classKey) {
    for (int n = 0;; n++) {
        char key[64];
        std::snprintf(key, sizeof key, "%s\\%04d", classKey, n);
        bool used = false;
        for (const SimHub& h : m.hubs) used |= h.driverKey == key;
        for (const SimPort& p : m.ports) used |= p.driverKey == key;
        if (!used) return key;
    }
}

std::string JoinFrom(int argc, char** argv, int first, const char* fallback) {
    if (first >= argc) return fallback;
    std::string s = argv[first];
    for (int i = first + 1; i < argc; i++) s += std::string(" ") + argv[i];
    return s;
}

void Unplug(SimModel* m, const std::string& hub, int port) {
    for (size_t i = 0; i < m->ports.size();) {
        if (m->ports[i].hub == hub && m->ports[i].port == port)
            m->ports.erase(m->ports.begin() + long(i));
        else
            i++;
    }
}

void AddHub(SimModel* m, const std::string& name, int ports, const char* description) {
    m->hubs.push_back({name, ports, NewKey(*m, HUB_CLASS_KEY), description});
}

int PlugDevice(SimModel* m, const std::string& hub, int port, int kind, const std::string& description) {
    Unplug(m, hub, port);
    m->ports.push_back({hub, port, kind, "", NewKey(*m, DEVICE_CLASS_KEY), description});
    return 0;
}

// Runs one command on the model; 0 = done, 1 = bad arguments, 2 = done and nothing to save,
// 3 = failed (reported).
int Run(SimModel* m, int argc, char** argv) {
    std::string cmd = argv[0];
    int a = 0, b = 0;
    if (cmd == "init" || cmd == "empty") {
        SimModel fresh;
        fresh.controllers.push_back({0, "ROOT0"});
        AddHub(&fresh, "ROOT0", 4, "USB Root Hub");
        if (cmd == "init")
            PlugDevice(&fresh, "ROOT0", 1, SIM_PORT_VORNEX, JoinFrom(argc, argv, 1, "Kelvara Vornex USB"));
        *m = fresh;
        return 0;
    }
    if (cmd == "hcd" && argc == 4 && Number(argv[1], &a) && Number(argv[3], &b) && a >= 0 && a <= 9) {
        m->controllers.push_back({a, argv[2]});
        AddHub(m, argv[2], b, "USB Root Hub");
        return 0;
    }
    if (cmd == "hub" && argc == 5 && Number(argv[2], &a) && Number(argv[4], &b)) {
        Unplug(m, argv[1], a);
        AddHub(m, argv[3], b, "Generic USB Hub");
        m->ports.push_back({argv[1], a, SIM_PORT_HUB, argv[3], "", ""});
        return 0;
    }
    if ((cmd == "plug" || cmd == "other") && argc >= 3 && Number(argv[2], &a)) {
        if (cmd == "other" && argc < 4) return 1;
        return PlugDevice(m, argv[1], a, cmd == "plug" ? SIM_PORT_VORNEX : SIM_PORT_DEVICE,
                          JoinFrom(argc, argv, 3, "Kelvara Vornex USB"));
    }
    if (cmd == "unplug" && argc == 1) {
        for (size_t i = 0; i < m->ports.size();) {
            if (m->ports[i].kind == SIM_PORT_VORNEX || m->ports[i].kind == SIM_PORT_LOST)
                m->ports.erase(m->ports.begin() + long(i));
            else
                i++;
        }
        return 0;
    }
    if (cmd == "unplug" && argc == 3 && Number(argv[2], &a)) {
        Unplug(m, argv[1], a);
        return 0;
    }
    if (cmd == "move" && argc == 3 && Number(argv[2], &a)) {
        for (SimPort& p : m->ports) {
            if (p.kind != SIM_PORT_VORNEX) continue;
            SimPort old = p, moved = p;  // copies: unplugging erases p
            moved.hub = argv[1];
            moved.port = a;
            Unplug(m, old.hub, old.port);
            Unplug(m, moved.hub, moved.port);
            m->ports.push_back(moved);
            return 0;
        }
        Fail("no Vornex device is plugged in");
        return 3;
    }
    if (cmd == "lose" && argc == 1) {
        for (SimPort& p : m->ports)
            if (p.kind == SIM_PORT_VORNEX) p.kind = SIM_PORT_LOST;
        return 0;
    }
    if (cmd == "input" && argc == 2 && Number(argv[1], &a)) {
        m->regs[REG_INPUT_SELECT] = uint8_t(a);
        return 0;
    }
    if (cmd == "lock" && argc == 2) {
        const struct {
            const char* rate;
            uint8_t code;
        } codes[] = {
            {"48000", LOCK_48000},
            {"44100", LOCK_44100},
            {"32000", LOCK_32000},
            {"none",  0         }
        };
        for (const auto& c : codes) {
            if (std::strcmp(argv[1], c.rate) == 0) {
                m->regs[REG_INPUT_LOCK] = c.code;
                return 0;
            }
        }
        return 1;
    }
    if (cmd == "power" && argc == 2 && Number(argv[1], &a)) {
        m->regs[REG_POWER] = uint8_t(a);
        return 0;
    }
    if (cmd == "reg" && argc == 3 && Number(argv[1], &a) && Number(argv[2], &b) && a >= 0 && a < 256) {
        m->regs[a] = uint8_t(b);
        return 0;
    }
    if (cmd == "status" && argc == 5) {
        for (int i = 0; i < 4; i++) {
            if (!Number(argv[1 + i], &a)) return 1;
            m->input[i] = uint8_t(a);
        }
        return 0;
    }
    if (cmd == "fault" && argc == 3 && std::strcmp(argv[2], "fail") == 0) {
        m->faults.push_back({argv[1], SIM_FAULT_FAIL, 0});
        return 0;
    }
    if (cmd == "fault" && argc == 4 && std::strcmp(argv[2], "reply") == 0 && Number(argv[3], &a)) {
        m->faults.push_back({argv[1], SIM_FAULT_REPLY, a});
        return 0;
    }
    if (cmd == "clear-faults" && argc == 1) {
        m->faults.clear();
        return 0;
    }
    if (cmd == "cfgmgr" && argc == 2) {
        m->cfgmgrMissing = std::strcmp(argv[1], "missing") == 0;
        return 0;
    }
    if (cmd == "show" && argc == 1) {
        std::fputs(FormatSimModel(*m).c_str(), stdout);
        return 2;
    }
    if (cmd == "wrote" && argc == 1) {
        for (const std::string& w : m->wrote) std::printf("%s\n", w.c_str());
        return 2;
    }
    if (cmd == "clear-log" && argc == 1) {
        m->wrote.clear();
        return 0;
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    const char* path = argv[1];
    SimModel model;
    LoadSimFile(path, &model);  // a missing file starts empty
    int r = Run(&model, argc - 2, argv + 2);
    if (r == 1) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    if (r == 2) return 0;
    if (r != 0) return 1;
    if (!SaveSimFile(path, model)) return Fail("cannot write the state file");
    return 0;
}
