// Finding the Vornex device on the USB bus and talking to it. No driver of our own is involved:
// requests go through the host-controller and hub interface as descriptor requests to the port
// the device hangs on, and the device is recognised by the description the configuration
// manager holds for its driver key. The platform is reached only through usb_transport.h.
#include "base/byte_order.h"
#include "hardware/device.h"
#include "hardware/device_protocol.h"
#include "hardware/usb_transport.h"
#include "hardware/wave_devices.h"
#include "settings/settings.h"  // INPUT_IN1, INPUT_IN2
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Sizes of the deck's own buffers and bounds of the search.
enum {
    NAME_BLOCK_BYTES = 254,      // root hub name and driver key name blocks
    CONN_NAME_PROBE_BYTES = 10,  // first connection-name call: learns the needed length
    MAX_NAME_BYTES = 255,        // a converted name with its terminator may not be longer
    HUB_PATH_CHARS = 200,
    CM_PROPERTY_BYTES = 512,
    HOST_CONTROLLERS = 10,  // "\\.\HCD0" .. "\\.\HCD9"
    // The bus allows five tiers of hubs; a deeper chain can only be a broken topology, so the
    // search does not follow it (which also keeps it from looping for ever).
    MAX_HUB_DEPTH = 8,
    // Bound on nodes visited in the device tree, against a manager that reports a cycle.
    MAX_TREE_STEPS = 100000,
};

// Device descriptions the configuration manager may hold for the device (whole-string match).
const char* const ACCEPTED_DESCRIPTIONS[] = {
    "Kelvara Vornex USB",
    "Kelvara Vornex Pro",
    "Kelvara Vornex USB Device",
    "Kelvara Vornex Pro Device",
};
// Wave device product names (prefix match).
const char* const WAVE_NAME_PREFIXES[] = {"Kelvara Vornex USB", "Kelvara Vornex Pro"};

struct DeviceState {
    UsbHandle hubHandle = USB_NO_HANDLE;          // hub the open device hangs on, or none
    uint32_t port = 0;                            // 1-based connection index of the device on that hub
    char cachedHubPath[HUB_PATH_CHARS + 1] = "";  // "\\.\" + hub name; "" until a full search found it
    uint32_t cachedPort = 0;                      // 0 until a full search found it
    int deviceNumber = 0;                         // as given to OpenDevice while open; 0 when closed
    int managerLoaded = 0;                        // the configuration manager library is loaded
    uint32_t recordRate = 44100;                  // RecordRate (Hz)
    uint32_t prevRecordRate = 44100;              // PrevRecordRate (Hz)
};
DeviceState g_dev;

// Closes a handle on every path unless released.
struct HandleGuard {
    UsbHandle handle;
    explicit HandleGuard(UsbHandle h) : handle(h) {}
    ~HandleGuard() {
        if (handle != USB_NO_HANDLE) UsbClosePath(handle);
    }
    UsbHandle Release() {
        UsbHandle h = handle;
        handle = USB_NO_HANDLE;
        return h;
    }
    HandleGuard(const HandleGuard&) = delete;
    HandleGuard& operator=(const HandleGuard&) = delete;
};

// Converts a UTF-16LE name (bytes bytes at p, ending at a zero unit or at the end) to the ANSI
// code page into out (MAX_NAME_BYTES + 1 bytes). Hub names and driver keys are plain ASCII;
// any other character becomes '?', as the system's default character would. A result that
// with its terminator would exceed MAX_NAME_BYTES fails.
int NameFromUtf16(const uint8_t* p, size_t bytes, char* out) {
    size_t n = 0;
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        uint32_t unit = p[i] | p[i + 1] << 8;
        if (unit == 0) break;
        if (n + 1 >= MAX_NAME_BYTES) return 0;
        out[n++] = unit < 0x80 ? char(unit) : '?';
    }
    out[n] = 0;
    return 1;
}

int IsAcceptedDescription(const char* desc) {
    for (const char* name : ACCEPTED_DESCRIPTIONS)
        if (std::strcmp(desc, name) == 0) return 1;
    return 0;
}

// Walks the configuration manager's device tree depth-first from the root to the node whose
// driver key is driverKey and copies its device description. 0 when there is none.
int DescriptionForDriverKey(const char* driverKey, char descOut[CM_PROPERTY_BYTES]) {
    uint32_t node = 0;
    if (CmLocateRoot(&node) != CM_OK || node == 0) return 0;
    for (int step = 0; step < MAX_TREE_STEPS; step++) {
        char driver[CM_PROPERTY_BYTES];
        uint32_t len = sizeof driver;
        if (CmGetProperty(node, CM_PROP_DRIVER, driver, &len) == CM_OK) {
            driver[sizeof driver - 1] = 0;
            if (std::strcmp(driver, driverKey) == 0) {
                len = CM_PROPERTY_BYTES;
                if (CmGetProperty(node, CM_PROP_DEVICEDESC, descOut, &len) != CM_OK) return 0;
                descOut[CM_PROPERTY_BYTES - 1] = 0;
                return 1;
            }
        }
        // Some managers report success with no node, so a next node must also be non-zero.
        uint32_t next = 0;
        if (CmGetChild(&next, node) == CM_OK && next != 0) {
            node = next;
            continue;
        }
        if (CmGetSibling(&next, node) == CM_OK && next != 0) {
            node = next;
            continue;
        }
        for (;; step++) {
            if (step >= MAX_TREE_STEPS) return 0;  // climbing counts too: parents may cycle as well
            uint32_t parent = 0;
            if (CmGetParent(&parent, node) != CM_OK || parent == 0) return 0;  // past the root
            node = parent;
            if (CmGetSibling(&next, node) == CM_OK && next != 0) {
                node = next;
                break;
            }
        }
    }
    return 0;
}

// The configuration manager's description of the device on a hub port.
int PortDescription(UsbHandle hub, uint32_t port, char descOut[CM_PROPERTY_BYTES]) {
    uint8_t block[NAME_BLOCK_BYTES] = {};
    PutLe32(block, port);
    uint32_t got = 0;
    if (!UsbControl(hub, IOCTL_DRIVERKEY_NAME, block, sizeof block, block, sizeof block, &got)) return 0;
    if (got > sizeof block) got = sizeof block;
    if (got < CONN_NAME_AT) return 0;
    char key[MAX_NAME_BYTES + 1];
    if (!NameFromUtf16(block + CONN_NAME_AT, got - CONN_NAME_AT, key)) return 0;
    return DescriptionForDriverKey(key, descOut);
}

// Connection information of a port: 1 when the call worked; status and hub flag from its block.
int PortConnection(UsbHandle hub, uint32_t port, int* connectedOut, int* isHubOut) {
    uint8_t block[CONN_INFO_BYTES] = {};
    PutLe32(block, port);
    uint32_t got = 0;
    *connectedOut = *isHubOut = 0;
    if (!UsbControl(hub, IOCTL_CONNECTION_INFORMATION, block, sizeof block, block, sizeof block, &got)) return 0;
    *connectedOut = GetLe32(block + CONN_INFO_STATUS_AT) != 0;
    *isHubOut = block[CONN_INFO_IS_HUB_AT] != 0;
    return 1;
}

int HubNodeInformation(UsbHandle hub, uint32_t* portsOut) {
    uint8_t block[NODE_INFO_BYTES] = {};
    uint32_t got = 0;
    if (!UsbControl(hub, IOCTL_NODE_INFORMATION, block, sizeof block, block, sizeof block, &got)) return 0;
    if (portsOut) *portsOut = block[NODE_INFO_PORTS_AT];
    return 1;
}

// The name of the hub plugged into a port, asked for twice: once to learn its length.
int ChildHubName(UsbHandle hub, uint32_t port, char nameOut[MAX_NAME_BYTES + 1]) {
    uint8_t probe[CONN_NAME_PROBE_BYTES] = {};
    PutLe32(probe, port);
    uint32_t got = 0;
    if (!UsbControl(hub, IOCTL_CONNECTION_NAME, probe, sizeof probe, probe, sizeof probe, &got)) return 0;
    uint32_t need = GetLe32(probe + CONN_NAME_LENGTH_AT);
    // A name that cannot convert within the limit is refused before asking for it.
    if (need <= CONN_NAME_AT || need > CONN_NAME_AT + 2 * (MAX_NAME_BYTES + 1)) return 0;
    std::vector<uint8_t> block(need, 0);
    PutLe32(block.data(), port);
    if (!UsbControl(hub, IOCTL_CONNECTION_NAME, block.data(), need, block.data(), need, &got)) return 0;
    return NameFromUtf16(block.data() + CONN_NAME_AT, need - CONN_NAME_AT, nameOut);
}

void MakeHubPath(const char* name, char* out, size_t outBytes) { std::snprintf(out, outBytes, "\\\\.\\%s", name); }

// Searches one hub and, depth first, the hubs behind its ports. Returns the open handle of the
// hub the device is on (g_dev.port and the cache then name it), or USB_NO_HANDLE.
UsbHandle SearchHub(const char* name, int depth) {
    if (depth > MAX_HUB_DEPTH) return USB_NO_HANDLE;
    char path[MAX_NAME_BYTES + 8];
    MakeHubPath(name, path, sizeof path);
    HandleGuard hub(UsbOpenPath(path));
    if (hub.handle == USB_NO_HANDLE) return USB_NO_HANDLE;
    uint32_t ports = 0;
    if (!HubNodeInformation(hub.handle, &ports)) return USB_NO_HANDLE;
    for (uint32_t port = 1; port <= ports; port++) {
        int connected = 0, isHub = 0;
        if (!PortConnection(hub.handle, port, &connected, &isHub)) continue;
        char desc[CM_PROPERTY_BYTES];
        if (connected && PortDescription(hub.handle, port, desc) && IsAcceptedDescription(desc)) {
            g_dev.port = port;
            // A path longer than the cache holds is not cached; the next opening searches again.
            if (std::strlen(path) <= HUB_PATH_CHARS) {
                std::strcpy(g_dev.cachedHubPath, path);
                g_dev.cachedPort = port;
            }
            return hub.Release();
        }
        if (isHub) {
            char child[MAX_NAME_BYTES + 1];
            if (!ChildHubName(hub.handle, port, child)) continue;
            UsbHandle found = SearchHub(child, depth + 1);
            if (found != USB_NO_HANDLE) return found;  // this hub closes with its guard
        }
    }
    return USB_NO_HANDLE;
}

// Reopens the hub of the last full search and checks that the device is still on its port.
int QuickReopen() {
    if (g_dev.cachedHubPath[0] == 0 || g_dev.cachedPort == 0) return 0;
    HandleGuard hub(UsbOpenPath(g_dev.cachedHubPath));
    if (hub.handle == USB_NO_HANDLE) return 0;
    if (!HubNodeInformation(hub.handle, nullptr)) return 0;
    int connected = 0, isHub = 0;
    if (!PortConnection(hub.handle, g_dev.cachedPort, &connected, &isHub) || !connected) return 0;
    char desc[CM_PROPERTY_BYTES];
    if (!PortDescription(hub.handle, g_dev.cachedPort, desc) || !IsAcceptedDescription(desc)) return 0;
    g_dev.port = g_dev.cachedPort;
    g_dev.hubHandle = hub.Release();
    return 1;
}

int FullSearch() {
    g_dev.cachedHubPath[0] = 0;
    g_dev.cachedPort = 0;
    for (int n = 0; n < HOST_CONTROLLERS; n++) {
        char path[16];
        std::snprintf(path, sizeof path, "\\\\.\\HCD%d", n);
        HandleGuard controller(UsbOpenPath(path));
        if (controller.handle == USB_NO_HANDLE) continue;
        uint8_t block[NAME_BLOCK_BYTES] = {};
        uint32_t got = 0;
        if (!UsbControl(controller.handle, IOCTL_ROOT_HUB_NAME, nullptr, 0, block, sizeof block, &got)) continue;
        if (got > sizeof block) got = sizeof block;
        char rootHub[MAX_NAME_BYTES + 1];
        if (got <= ROOT_HUB_NAME_AT || !NameFromUtf16(block + ROOT_HUB_NAME_AT, got - ROOT_HUB_NAME_AT, rootHub))
            continue;
        UsbHandle found = SearchHub(rootHub, 0);
        if (found != USB_NO_HANDLE) {
            g_dev.hubHandle = found;
            return 1;
        }
    }
    return 0;
}

// A failed control call means the device or its hub went away: the handle is released at
// once, and every request until the next OpenDevice fails without touching the bus.
void DropConnection() {
    if (g_dev.hubHandle != USB_NO_HANDLE) UsbClosePath(g_dev.hubHandle);
    g_dev.hubHandle = USB_NO_HANDLE;
}

// One descriptor request to the device's port. replyOut receives the 24 data bytes (zero past
// the reply), lengthOut the reply length.
int DeviceRequest(uint32_t type, uint32_t index, uint32_t parameter, uint8_t replyOut[REQUEST_DATA_BYTES],
                  uint32_t* lengthOut) {
    if (g_dev.hubHandle == USB_NO_HANDLE) return 0;
    uint8_t block[REQUEST_BLOCK_BYTES] = {};
    PutLe32(block + REQUEST_PORT_AT, g_dev.port);
    // bmRequest and bRequest stay 0: the hub driver sends a standard GET_DESCRIPTOR whatever is there.
    PutLe16(block + REQUEST_VALUE_AT, type << REQUEST_TYPE_SHIFT | index);
    PutLe16(block + REQUEST_PARAM_AT, parameter);
    PutLe16(block + REQUEST_LENGTH_AT, REQUEST_DATA_BYTES);
    uint32_t got = 0;
    if (!UsbControl(g_dev.hubHandle, IOCTL_DESCRIPTOR_REQUEST, block, sizeof block, block, sizeof block, &got)) {
        DropConnection();
        return 0;
    }
    if (got < REQUEST_HEADER_BYTES + REPLY_MIN_BYTES || got > REQUEST_HEADER_BYTES + REQUEST_DATA_BYTES) return 0;
    std::memcpy(replyOut, block + REQUEST_HEADER_BYTES, REQUEST_DATA_BYTES);
    *lengthOut = got - REQUEST_HEADER_BYTES;
    return 1;
}

int StartsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

}  // namespace

int FindWaveDevice(int output, int* indexOut, int* countOut) {
    *indexOut = WAVE_DEVICE_NONE;
    *countOut = 0;
    if (output != 0 && output != 1) return 0;
    int count = WaveDeviceCount(output);
    if (count < 0) count = 0;
    *countOut = count;
    for (int i = 0; i < count; i++) {
        char name[WAVE_NAME_BYTES] = {};
        if (!WaveDeviceName(output, uint32_t(i), name)) continue;
        name[WAVE_NAME_BYTES - 1] = 0;
        for (const char* prefix : WAVE_NAME_PREFIXES) {
            if (StartsWith(name, prefix)) {
                *indexOut = i;
                return 1;
            }
        }
    }
    return 1;
}

int LoadDeviceManager() {
    if (!g_dev.managerLoaded) g_dev.managerLoaded = CmLoad();
    return g_dev.managerLoaded;
}

void FreeDeviceManager() {
    if (g_dev.managerLoaded) CmFree();
    g_dev.managerLoaded = 0;
}

int OpenDevice(int deviceNumber) {
    if (!g_dev.managerLoaded) return 0;
    if (g_dev.hubHandle != USB_NO_HANDLE) CloseDevice();
    g_dev.deviceNumber = deviceNumber;
    g_dev.port = 0;
    if (QuickReopen() || FullSearch()) return 1;
    g_dev.port = 0;
    g_dev.deviceNumber = 0;
    return 0;
}

int CloseDevice() {
    if (g_dev.hubHandle != USB_NO_HANDLE) UsbClosePath(g_dev.hubHandle);
    g_dev.hubHandle = USB_NO_HANDLE;
    g_dev.deviceNumber = 0;
    return 1;
}

int ReadRegister(int reg, uint32_t* valueOut) {
    *valueOut = 0;
    if (reg != REG_INPUT_SELECT && reg != REG_INPUT_LOCK && reg != REG_POWER) return 0;
    uint8_t reply[REQUEST_DATA_BYTES];
    uint32_t length = 0;
    if (!DeviceRequest(REQ_REGISTER, uint32_t(reg), 0, reply, &length)) return 0;
    *valueOut = reply[REPLY_VALUE_AT];
    return 1;
}

int WriteRegister(int reg, uint32_t value) {
    if ((reg != REG_INPUT_SELECT && reg != REG_POWER) || value > 255) return 0;
    uint8_t reply[REQUEST_DATA_BYTES];
    uint32_t length = 0;
    return DeviceRequest(REQ_REGISTER, uint32_t(reg), value, reply, &length);
}

int ReadInputStatus(uint8_t statusOut[CHANNEL_STATUS_BYTES]) {
    std::memset(statusOut, 0, CHANNEL_STATUS_BYTES);
    uint8_t reply[REQUEST_DATA_BYTES];
    uint32_t length = 0;
    if (!DeviceRequest(REQ_INPUT_STATUS, 0, 0, reply, &length)) return 0;
    std::memcpy(statusOut, reply + REPLY_VALUE_AT, CHANNEL_STATUS_BYTES);
    return 1;
}

int WriteOutputStatus(const uint8_t status[CHANNEL_STATUS_BYTES]) {
    for (uint32_t k = 0; k < CHANNEL_STATUS_BYTES; k++) {
        uint8_t reply[REQUEST_DATA_BYTES];
        uint32_t length = 0;
        if (!DeviceRequest(REQ_OUTPUT_STATUS, 0, k << OUTPUT_STATUS_INDEX_SHIFT | status[k], reply, &length)) return 0;
    }
    return 1;
}

int InputSelFromStatus(uint32_t reg6) { return reg6 == INPUT_SELECT_IN2 ? INPUT_IN2 : INPUT_IN1; }

uint32_t RateFromLockCode(uint32_t reg7) {
    switch (reg7) {
    case LOCK_48000: return 48000;
    case LOCK_32000: return 32000;
    default: return 44100;  // LOCK_44100, and "not locked"
    }
}

int IsLockCode(uint32_t reg7) { return reg7 == LOCK_48000 || reg7 == LOCK_44100 || reg7 == LOCK_32000; }

uint32_t GetRecordRate() { return g_dev.recordRate; }
uint32_t GetPrevRecordRate() { return g_dev.prevRecordRate; }
void SetRecordRate(uint32_t rate) {
    g_dev.prevRecordRate = g_dev.recordRate;
    g_dev.recordRate = rate;
}
void SetRecordRates(uint32_t rate, uint32_t prevRate) {
    g_dev.recordRate = rate;
    g_dev.prevRecordRate = prevRate;
}

void ResetDeviceForTest() {
    CloseDevice();
    int loaded = g_dev.managerLoaded;
    g_dev = DeviceState();
    g_dev.managerLoaded = loaded;
}

const char* CachedHubPath() { return g_dev.cachedHubPath; }
uint32_t CachedPort() { return g_dev.cachedPort; }
uint32_t OpenPort() { return g_dev.hubHandle != USB_NO_HANDLE ? g_dev.port : 0; }
