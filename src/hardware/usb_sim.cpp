// Simulated USB host and Vornex device (file format in usb_sim.h). Plain standard C++, so the
// same host answers the deck under Wine and the native tests.
#include "base/byte_order.h"
#include "hardware/usb_sim.h"
#include "hardware/device_protocol.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

enum {
    DEFAULT_REPLY_BYTES = 8,
    MAX_TOPOLOGY_DEPTH = 16,
    MAX_CALLS_KEPT = 100000,
    MAX_HUB_PORTS = 255,  // a hub descriptor counts its ports in one byte
};
const UsbHandle FIRST_HANDLE = 0x5100;

struct OpenHandle {
    UsbHandle id;
    std::string path;
    int controller;   // host controller number, or -1 for a hub
    std::string hub;  // hub name
};

// One node of the simulated device tree; ids are index + 1, 0 means none.
struct TreeNode {
    uint32_t parent, child, sibling;
    std::string driverKey;  // empty: the node has no driver property
    std::string description;
};

struct SimState {
    std::string statePath;               // "" = host off
    int configured = 0;                  // statePath was chosen (by a test or the environment)
    SimModel model;                      // as last read from the file
    std::vector<std::string> reachable;  // hubs connected to a controller, directly or through hubs
    std::vector<TreeNode> tree;
    std::vector<OpenHandle> handles;
    UsbHandle nextHandle = FIRST_HANDLE;
    std::vector<SimCall> calls;
};
SimState g_sim;

// Splits off the first `count` blank-separated words; the rest of the line (trimmed) is restOut.
std::vector<std::string> Words(const std::string& line, size_t count, std::string* restOut) {
    std::vector<std::string> words;
    size_t i = 0;
    while (words.size() < count) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) i++;
        if (i >= line.size()) break;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') i++;
        words.push_back(line.substr(start, i - start));
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) i++;
    std::string rest = line.substr(std::min(i, line.size()));
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r')) rest.pop_back();
    if (restOut) *restOut = rest;
    return words;
}

int ToInt(const std::string& s) { return int(std::strtol(s.c_str(), nullptr, 0)); }

const SimHub* FindHub(const SimModel& m, const std::string& name) {
    for (const SimHub& h : m.hubs)
        if (h.name == name) return &h;
    return nullptr;
}

const SimPort* FindPort(const SimModel& m, const std::string& hub, int port) {
    for (const SimPort& p : m.ports)
        if (p.hub == hub && p.port == port) return &p;
    return nullptr;
}

int IsReachable(const std::string& hub) {
    return std::find(g_sim.reachable.begin(), g_sim.reachable.end(), hub) != g_sim.reachable.end();
}

// Hubs that hang on a controller; a hub plugged into itself or a loop is never reached twice.
void ComputeReachable() {
    g_sim.reachable.clear();
    std::vector<std::string> work;
    for (const SimController& c : g_sim.model.controllers) work.push_back(c.rootHub);
    while (!work.empty()) {
        std::string hub = work.back();
        work.pop_back();
        if (!FindHub(g_sim.model, hub) || IsReachable(hub)) continue;
        g_sim.reachable.push_back(hub);
        for (const SimPort& p : g_sim.model.ports)
            if (p.hub == hub && p.kind == SIM_PORT_HUB) work.push_back(p.name);
    }
}

uint32_t AddNode(uint32_t parent, const std::string& key, const std::string& desc) {
    TreeNode n{parent, 0, 0, key, desc};
    g_sim.tree.push_back(n);
    uint32_t id = uint32_t(g_sim.tree.size());
    if (parent) {
        TreeNode& p = g_sim.tree[parent - 1];
        if (!p.child) {
            p.child = id;
        } else {
            uint32_t last = p.child;
            while (g_sim.tree[last - 1].sibling) last = g_sim.tree[last - 1].sibling;
            g_sim.tree[last - 1].sibling = id;
        }
    }
    return id;
}

void AddHubSubtree(uint32_t parent, const SimHub& hub, int depth) {
    uint32_t id = AddNode(parent, hub.driverKey, hub.description);
    if (depth > MAX_TOPOLOGY_DEPTH) return;
    for (int port = 1; port <= hub.ports; port++) {
        const SimPort* p = FindPort(g_sim.model, hub.name, port);
        if (!p) continue;
        if (p->kind == SIM_PORT_HUB) {
            if (const SimHub* child = FindHub(g_sim.model, p->name)) AddHubSubtree(id, *child, depth + 1);
        } else {
            AddNode(id, p->driverKey, p->description);
        }
    }
}

// The device tree: a system board with a display below it first, so that a walk has to climb
// back out of a subtree, then the controllers with their hubs and devices.
void BuildTree() {
    g_sim.tree.clear();
    uint32_t root = AddNode(0, "", "Simulated Computer");
    uint32_t board = AddNode(root, "{4d36e97d-e325-11ce-bfc1-08002be10318}\\0000", "System board");
    AddNode(board, "{4d36e968-e325-11ce-bfc1-08002be10318}\\0000", "Standard VGA Graphics Adapter");
    std::vector<SimController> controllers = g_sim.model.controllers;
    std::sort(controllers.begin(), controllers.end(),
              [](const SimController& a, const SimController& b) { return a.number < b.number; });
    for (const SimController& c : controllers) {
        char key[64];
        std::snprintf(key, sizeof key, "{36fc9e60-c465-11cf-8056-444553540000}\\%04d", 100 + c.number);
        uint32_t id = AddNode(root, key, "Simulated USB Host Controller");
        if (const SimHub* hub = FindHub(g_sim.model, c.rootHub)) AddHubSubtree(id, *hub, 0);
    }
}

void Reload() {
    g_sim.model = SimModel();
    if (!g_sim.statePath.empty()) LoadSimFile(g_sim.statePath.c_str(), &g_sim.model);
    ComputeReachable();
    BuildTree();
}

OpenHandle* FindHandle(UsbHandle id) {
    for (OpenHandle& h : g_sim.handles)
        if (h.id == id) return &h;
    return nullptr;
}

// Writes a name record: 32-bit needed length at lengthAt, UTF-16 name from nameAt, as much as
// fits. Returns the byte count reported back.
uint32_t PutName(uint8_t* out, uint32_t outBytes, uint32_t lengthAt, uint32_t nameAt, const std::string& name) {
    uint32_t needed = nameAt + 2 * uint32_t(name.size() + 1);
    PutLe32(out + lengthAt, needed);
    for (size_t i = 0; i <= name.size(); i++) {
        uint32_t at = nameAt + uint32_t(2 * i);
        if (at + 2 > outBytes) break;
        PutLe16(out + at, i < name.size() ? uint8_t(name[i]) : 0);
    }
    return std::min(needed, outBytes);
}

int FaultMatches(const std::string& which, uint32_t type, uint32_t index, uint32_t param) {
    if (which == "all") return 1;
    if (which == "status") return type == REQ_INPUT_STATUS;
    if (which == "out") return type == REQ_OUTPUT_STATUS;
    if (which.compare(0, 3, "out") == 0)
        return type == REQ_OUTPUT_STATUS && (param >> OUTPUT_STATUS_INDEX_SHIFT) == uint32_t(ToInt(which.substr(3)));
    if (type != REQ_REGISTER) return 0;
    if (which.compare(0, 3, "reg") == 0) return index == uint32_t(ToInt(which.substr(3)));
    if (which.compare(0, 4, "read") == 0) return param == 0 && index == uint32_t(ToInt(which.substr(4)));
    if (which.compare(0, 5, "write") == 0) return param != 0 && index == uint32_t(ToInt(which.substr(5)));
    return 0;
}

// The Vornex device's answer to one request. replyOut gets the reply (byte 0 its length, byte 1
// the request type, byte 2 the index, the value from byte 3). 0 = the device stalls.
int DeviceAnswer(uint32_t type, uint32_t index, uint32_t param, uint8_t replyOut[REQUEST_DATA_BYTES],
                 uint32_t* lengthOut) {
    SimModel& m = g_sim.model;
    int replyBytes = DEFAULT_REPLY_BYTES;
    for (const SimFault& f : m.faults) {
        if (!FaultMatches(f.which, type, index, param)) continue;
        if (f.kind == SIM_FAULT_FAIL) return 0;
        replyBytes = f.replyBytes;
    }
    std::memset(replyOut, 0, REQUEST_DATA_BYTES);
    replyOut[REPLY_TYPE_AT] = uint8_t(type);
    replyOut[REPLY_INDEX_AT] = uint8_t(index);
    int wrote = 0;
    char line[32];
    if (type == REQ_REGISTER) {
        if (index < REG_INPUT_SELECT || index > REG_POWER) return 0;
        if (param != 0) {  // a write: the value travels in the request parameter
            if (index == REG_INPUT_SELECT) m.regs[REG_INPUT_SELECT] = uint8_t(param);
            if (index == REG_POWER)
                m.regs[REG_POWER] = uint8_t((m.regs[REG_POWER] & ~POWER_MODE_MASK) | (param & POWER_MODE_MASK));
            std::snprintf(line, sizeof line, "reg %u %u", index, param & 0xFF);
            wrote = 1;
        }
        replyOut[REPLY_VALUE_AT] = m.regs[index];
    } else if (type == REQ_INPUT_STATUS) {
        std::memcpy(replyOut + REPLY_VALUE_AT, m.input, sizeof m.input);
    } else if (type == REQ_OUTPUT_STATUS) {
        uint32_t k = param >> OUTPUT_STATUS_INDEX_SHIFT;
        if (k > 3) return 0;
        m.output[k] = uint8_t(param);
        replyOut[REPLY_INDEX_AT] = uint8_t(k);
        replyOut[REPLY_VALUE_AT] = uint8_t(param);
        std::snprintf(line, sizeof line, "out %u %u", k, param & 0xFF);
        wrote = 1;
    } else {
        return 0;
    }
    replyOut[REPLY_LENGTH_AT] = uint8_t(replyBytes);
    *lengthOut = uint32_t(replyBytes);
    if (wrote) {
        m.wrote.push_back(line);
        if (!g_sim.statePath.empty()) SaveSimFile(g_sim.statePath.c_str(), m);
    }
    return 1;
}

int HubControl(const SimHub& hub, uint32_t code, const uint8_t* in, uint32_t inBytes, uint8_t* out, uint32_t outBytes,
               uint32_t* returnedOut) {
    if (code == IOCTL_NODE_INFORMATION) {
        if (outBytes < NODE_INFO_BYTES) return 0;
        std::memset(out, 0, NODE_INFO_BYTES);
        out[4] = 9;     // hub descriptor length
        out[5] = 0x29;  // hub descriptor type
        out[NODE_INFO_PORTS_AT] = uint8_t(hub.ports);
        *returnedOut = NODE_INFO_BYTES;
        return 1;
    }
    if (!in || inBytes < 4) return 0;
    int port = int(GetLe32(in));
    if (port < 1 || port > hub.ports) return 0;
    const SimPort* p = FindPort(g_sim.model, hub.name, port);
    switch (code) {
    case IOCTL_CONNECTION_INFORMATION: {
        if (outBytes < CONN_INFO_FIXED_BYTES) return 0;
        std::memset(out, 0, outBytes);
        PutLe32(out, uint32_t(port));
        if (p && p->kind != SIM_PORT_LOST) {
            const uint8_t descriptor[18] = {18,
                                            1,
                                            0x10,
                                            0x01,
                                            uint8_t(p->kind == SIM_PORT_HUB ? 9 : 0),
                                            0,
                                            0,
                                            64,
                                            0x4B,
                                            0x0A,
                                            uint8_t(p->kind == SIM_PORT_VORNEX ? 0x21 : 0x01),
                                            0x00,
                                            0x00,
                                            0x01,
                                            1,
                                            2,
                                            0,
                                            1};
            std::memcpy(out + CONN_INFO_DESCRIPTOR_AT, descriptor, sizeof descriptor);
            out[22] = 1;  // configuration value
            out[CONN_INFO_IS_HUB_AT] = p->kind == SIM_PORT_HUB;
            PutLe16(out + 25, uint32_t(port) + 1);
            PutLe32(out + CONN_INFO_STATUS_AT, 1);  // DeviceConnected
        }
        *returnedOut = CONN_INFO_FIXED_BYTES;
        return 1;
    }
    case IOCTL_CONNECTION_NAME:
        if (!p || p->kind != SIM_PORT_HUB || outBytes < 8) return 0;
        std::memset(out, 0, outBytes);
        PutLe32(out, uint32_t(port));
        *returnedOut = PutName(out, outBytes, CONN_NAME_LENGTH_AT, CONN_NAME_AT, p->name);
        return 1;
    case IOCTL_DRIVERKEY_NAME: {
        if (!p || outBytes < 8) return 0;
        std::string key = p->driverKey;
        if (p->kind == SIM_PORT_HUB) {
            const SimHub* child = FindHub(g_sim.model, p->name);
            key = child ? child->driverKey : std::string();
        }
        std::memset(out, 0, outBytes);
        PutLe32(out, uint32_t(port));
        *returnedOut = PutName(out, outBytes, CONN_NAME_LENGTH_AT, CONN_NAME_AT, key);
        return 1;
    }
    case IOCTL_DESCRIPTOR_REQUEST: {
        if (!p || p->kind != SIM_PORT_VORNEX || inBytes < REQUEST_HEADER_BYTES || outBytes < REQUEST_HEADER_BYTES)
            return 0;
        uint8_t header[REQUEST_HEADER_BYTES];
        std::memcpy(header, in, sizeof header);
        uint32_t value = GetLe16(header + REQUEST_VALUE_AT), param = GetLe16(header + REQUEST_PARAM_AT);
        uint8_t reply[REQUEST_DATA_BYTES];
        uint32_t length = 0;
        if (!DeviceAnswer(value >> REQUEST_TYPE_SHIFT, value & 0xFF, param, reply, &length)) return 0;
        std::memset(out, 0, outBytes);
        std::memcpy(out, header, sizeof header);
        uint32_t room = outBytes - REQUEST_HEADER_BYTES;
        std::memcpy(out + REQUEST_HEADER_BYTES, reply, std::min<uint32_t>(room, REQUEST_DATA_BYTES));
        *returnedOut = REQUEST_HEADER_BYTES + length;  // may claim more than fits: a faulty stack
        return 1;
    }
    default: return 0;
    }
}

const TreeNode* Node(uint32_t id) { return id >= 1 && id <= g_sim.tree.size() ? &g_sim.tree[id - 1] : nullptr; }

uint32_t NodeLink(uint32_t* out, uint32_t node, uint32_t TreeNode::*link) {
    *out = 0;
    const TreeNode* n = Node(node);
    if (!n) return CM_ERR_INVALID_DEVNODE;
    if (!(n->*link)) return CM_ERR_NO_SUCH_DEVNODE;
    *out = n->*link;
    return CM_OK;
}

// A hub hangs on one port at most, and a controller's root hub on none: a later "port ... hub"
// line that plugs a hub in again is ignored. The topology is then a tree, so neither the device
// tree built from it nor a search through its hubs can loop or multiply.
void DropSecondHubPlacements(SimModel* m) {
    std::vector<std::string> placed;
    for (const SimController& c : m->controllers) placed.push_back(c.rootHub);
    std::vector<SimPort> kept;
    for (const SimPort& p : m->ports) {
        if (p.kind == SIM_PORT_HUB) {
            if (std::find(placed.begin(), placed.end(), p.name) != placed.end()) continue;
            placed.push_back(p.name);
        }
        kept.push_back(p);
    }
    m->ports.swap(kept);
}

}  // namespace

SimModel::SimModel() : cfgmgrMissing(0) {
    std::memset(regs, 0, sizeof regs);
    regs[REG_INPUT_SELECT] = INPUT_SELECT_IN1;
    regs[REG_POWER] = POWER_ON;
    std::memset(input, 0, sizeof input);
    std::memset(output, 0, sizeof output);
}

void ParseSimModel(const std::string& text, SimModel* m) {
    *m = SimModel();
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();  // a file edited on Windows
        std::string rest;
        std::vector<std::string> w = Words(line, 1, nullptr);
        if (w.empty() || w[0][0] == '#') continue;
        const std::string kind = w[0];
        if (kind == "hcd") {
            w = Words(line, 3, nullptr);
            if (w.size() == 3) m->controllers.push_back({ToInt(w[1]), w[2]});
        } else if (kind == "hub") {
            w = Words(line, 4, &rest);
            if (w.size() == 4)
                m->hubs.push_back({w[1], std::max(0, std::min(ToInt(w[2]), int(MAX_HUB_PORTS))), w[3], rest});
        } else if (kind == "port") {
            w = Words(line, 5, &rest);
            if (w.size() < 5) continue;
            SimPort p{w[1], ToInt(w[2]), -1, "", "", ""};
            if (w[3] == "hub") {
                p.kind = SIM_PORT_HUB;
                p.name = w[4];
            } else if (w[3] == "device" || w[3] == "vornex" || w[3] == "lost") {
                p.kind = w[3] == "device" ? SIM_PORT_DEVICE : w[3] == "vornex" ? SIM_PORT_VORNEX : SIM_PORT_LOST;
                p.driverKey = w[4];
                p.description = rest;
            }
            if (p.kind >= 0) m->ports.push_back(p);
        } else if (kind == "reg") {
            w = Words(line, 3, nullptr);
            if (w.size() == 3) m->regs[ToInt(w[1]) & 0xFF] = uint8_t(ToInt(w[2]));
        } else if (kind == "input" || kind == "output") {
            w = Words(line, 5, nullptr);
            if (w.size() != 5) continue;
            uint8_t* bytes = kind == "input" ? m->input : m->output;
            for (int i = 0; i < 4; i++) bytes[i] = uint8_t(ToInt(w[1 + i]));
        } else if (kind == "fault") {
            w = Words(line, 4, nullptr);
            if (w.size() >= 3 && w[2] == "fail") m->faults.push_back({w[1], SIM_FAULT_FAIL, 0});
            if (w.size() == 4 && w[2] == "reply") m->faults.push_back({w[1], SIM_FAULT_REPLY, ToInt(w[3])});
        } else if (kind == "cfgmgr") {
            w = Words(line, 2, nullptr);
            if (w.size() == 2 && w[1] == "missing") m->cfgmgrMissing = 1;
        } else if (kind == "wrote") {
            Words(line, 1, &rest);
            m->wrote.push_back(rest);
        }
    }
    DropSecondHubPlacements(m);
}

std::string FormatSimModel(const SimModel& m) {
    std::ostringstream s;
    s << "# Simulated USB host (see hardware/usb_sim.h)\n";
    for (const SimController& c : m.controllers) s << "hcd " << c.number << ' ' << c.rootHub << '\n';
    for (const SimHub& h : m.hubs)
        s << "hub " << h.name << ' ' << h.ports << ' ' << h.driverKey << ' ' << h.description << '\n';
    for (const SimPort& p : m.ports) {
        s << "port " << p.hub << ' ' << p.port << ' ';
        if (p.kind == SIM_PORT_HUB)
            s << "hub " << p.name << '\n';
        else
            s << (p.kind == SIM_PORT_VORNEX ? "vornex "
                  : p.kind == SIM_PORT_LOST ? "lost "
                                            : "device ")
              << p.driverKey << ' ' << p.description << '\n';
    }
    for (int r = REG_INPUT_SELECT; r <= REG_POWER; r++) s << "reg " << r << ' ' << int(m.regs[r]) << '\n';
    s << "input " << int(m.input[0]) << ' ' << int(m.input[1]) << ' ' << int(m.input[2]) << ' ' << int(m.input[3])
      << '\n';
    s << "output " << int(m.output[0]) << ' ' << int(m.output[1]) << ' ' << int(m.output[2]) << ' ' << int(m.output[3])
      << '\n';
    for (const SimFault& f : m.faults) {
        s << "fault " << f.which << ' ';
        if (f.kind == SIM_FAULT_FAIL)
            s << "fail\n";
        else
            s << "reply " << f.replyBytes << '\n';
    }
    if (m.cfgmgrMissing) s << "cfgmgr missing\n";
    for (const std::string& w : m.wrote) s << "wrote " << w << '\n';
    return s.str();
}

int LoadSimFile(const char* path, SimModel* modelOut) {
    *modelOut = SimModel();
    FILE* f = std::fopen(path, "rb");
    if (!f) return 0;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
    ParseSimModel(text, modelOut);
    return 1;
}

namespace {
int WriteWholeFile(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    size_t written = std::fwrite(text.data(), 1, text.size(), f);
    int closed = std::fclose(f) == 0;
    return written == text.size() && closed;
}
}  // namespace

// Written beside the file and renamed over it, so a reader never sees half a file. Where a
// rename cannot replace a file (Windows), the file is rewritten in place.
int SaveSimFile(const char* path, const SimModel& model) {
    std::string text = FormatSimModel(model);
    std::string temp = std::string(path) + ".new";
    if (WriteWholeFile(temp, text) && std::rename(temp.c_str(), path) == 0) return 1;
    std::remove(temp.c_str());
    return WriteWholeFile(path, text);
}

void UsbSimSetStateFile(const char* path) {
    g_sim.statePath = path ? path : "";
    g_sim.configured = 1;
    Reload();
}

int UsbSimConfigured() { return g_sim.configured; }
int UsbSimActive() { return !g_sim.statePath.empty(); }

UsbHandle UsbSimOpen(const char* path) {
    Reload();
    const char* prefix = "\\\\.\\";
    if (!path || std::strncmp(path, prefix, 4) != 0) return USB_NO_HANDLE;
    std::string name = path + 4;
    OpenHandle h{0, path, -1, ""};
    if (name.size() > 3 && name.compare(0, 3, "HCD") == 0 &&
        name.find_first_not_of("0123456789", 3) == std::string::npos) {
        int n = ToInt(name.substr(3));
        for (const SimController& c : g_sim.model.controllers)
            if (c.number == n) h.controller = n;
        if (h.controller < 0) return USB_NO_HANDLE;
    } else if (IsReachable(name)) {
        h.hub = name;
    } else {
        return USB_NO_HANDLE;
    }
    h.id = g_sim.nextHandle++;
    g_sim.handles.push_back(h);
    return h.id;
}

int UsbSimControl(UsbHandle handle, uint32_t code, const void* in, uint32_t inBytes, void* out, uint32_t outBytes,
                  uint32_t* returnedOut) {
    *returnedOut = 0;
    OpenHandle* h = FindHandle(handle);
    if (g_sim.calls.size() < MAX_CALLS_KEPT) {
        const uint8_t* p = static_cast<const uint8_t*>(in);
        g_sim.calls.push_back({h ? h->path : std::string(), code, std::vector<uint8_t>(p, p ? p + inBytes : p)});
    }
    if (!h || !out) return 0;
    uint8_t* o = static_cast<uint8_t*>(out);
    if (h->controller >= 0) {
        if (code != IOCTL_NODE_INFORMATION || outBytes < 4) return 0;
        for (const SimController& c : g_sim.model.controllers) {
            if (c.number != h->controller) continue;
            std::memset(o, 0, outBytes);
            *returnedOut = PutName(o, outBytes, 0, ROOT_HUB_NAME_AT, c.rootHub);  // length first, then the name
            return 1;
        }
        return 0;
    }
    // A hub that was unplugged since it was opened no longer answers.
    const SimHub* hub = FindHub(g_sim.model, h->hub);
    if (!hub || !IsReachable(h->hub)) return 0;
    return HubControl(*hub, code, static_cast<const uint8_t*>(in), in ? inBytes : 0, o, outBytes, returnedOut);
}

void UsbSimClose(UsbHandle handle) {
    for (size_t i = 0; i < g_sim.handles.size(); i++) {
        if (g_sim.handles[i].id == handle) {
            g_sim.handles.erase(g_sim.handles.begin() + long(i));
            return;
        }
    }
}

int UsbSimCmAvailable() {
    Reload();
    return !g_sim.model.cfgmgrMissing;
}

uint32_t UsbSimCmLocateRoot(uint32_t* nodeOut) {
    *nodeOut = g_sim.tree.empty() ? 0 : 1;
    return g_sim.tree.empty() ? CM_ERR_FAILURE : CM_OK;
}
uint32_t UsbSimCmGetChild(uint32_t* childOut, uint32_t node) { return NodeLink(childOut, node, &TreeNode::child); }
uint32_t UsbSimCmGetSibling(uint32_t* siblingOut, uint32_t node) {
    return NodeLink(siblingOut, node, &TreeNode::sibling);
}
uint32_t UsbSimCmGetParent(uint32_t* parentOut, uint32_t node) { return NodeLink(parentOut, node, &TreeNode::parent); }

uint32_t UsbSimCmGetProperty(uint32_t node, uint32_t property, char* buf, uint32_t* bufBytesInOut) {
    const TreeNode* n = Node(node);
    if (!n) return CM_ERR_INVALID_DEVNODE;
    const std::string* value = property == CM_PROP_DRIVER       ? &n->driverKey
                               : property == CM_PROP_DEVICEDESC ? &n->description
                                                                : nullptr;
    if (!value || value->empty()) return CM_ERR_NO_SUCH_VALUE;
    uint32_t need = uint32_t(value->size() + 1);
    if (*bufBytesInOut < need) {
        *bufBytesInOut = need;
        return CM_ERR_BUFFER_SMALL;
    }
    std::memcpy(buf, value->c_str(), need);
    *bufBytesInOut = need;
    return CM_OK;
}

const std::vector<SimCall>& UsbSimCalls() { return g_sim.calls; }
int UsbSimOpenHandles() { return int(g_sim.handles.size()); }

void UsbSimResetForTest() { g_sim = SimState(); }
