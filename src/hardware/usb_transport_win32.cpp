// The system's USB host-controller and hub interface (CreateFileA / DeviceIoControl) and the
// configuration manager, loaded at run time. When QD_USB_SIM names a state file the calls go to
// the simulated host instead (Wine has no host-controller interface).
#include "hardware/usb_sim.h"
#include "hardware/usb_transport.h"
#include <windows.h>
#include <cstdlib>
#include <string>

namespace {
typedef DWORD(WINAPI* LocateDevNodeFn)(DWORD*, char*, ULONG);
typedef DWORD(WINAPI* TreeStepFn)(DWORD*, DWORD, ULONG);
typedef DWORD(WINAPI* GetPropertyFn)(DWORD, ULONG, ULONG*, void*, ULONG*, ULONG);

struct ManagerState {
    HMODULE library = nullptr;                // cfgmgr32.dll while loaded
    LocateDevNodeFn locateDevNode = nullptr;  // CM_Locate_DevNodeA
    TreeStepFn getChild = nullptr;            // CM_Get_Child
    TreeStepFn getSibling = nullptr;          // CM_Get_Sibling
    TreeStepFn getParent = nullptr;           // CM_Get_Parent
    GetPropertyFn getProperty = nullptr;      // CM_Get_DevNode_Registry_PropertyA
};
ManagerState g_cm;

// Entry points come back as FARPROC; going through void* states that the type is known.
template <class Fn>
Fn EntryPoint(HMODULE library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Reads QD_USB_SIM once. A Unix path (as the test rigs give it) is reached through drive Z:.
int Simulated() {
    if (!UsbSimConfigured()) {
        const char* env = std::getenv(USB_SIM_ENV);
        std::string path = env ? env : "";
        if (!path.empty() && path[0] == '/') {
            for (char& c : path)
                if (c == '/') c = '\\';
            path = "Z:" + path;
        }
        UsbSimSetStateFile(path.c_str());
    }
    return UsbSimActive();
}
}  // namespace

UsbHandle UsbOpenPath(const char* path) {
    if (Simulated()) return UsbSimOpen(path);
    HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    return h == INVALID_HANDLE_VALUE ? USB_NO_HANDLE : reinterpret_cast<UsbHandle>(h);
}

int UsbControl(UsbHandle handle, uint32_t code, const void* in, uint32_t inBytes, void* out, uint32_t outBytes,
               uint32_t* returnedOut) {
    if (Simulated()) return UsbSimControl(handle, code, in, inBytes, out, outBytes, returnedOut);
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(reinterpret_cast<HANDLE>(handle), code, const_cast<void*>(in), inBytes, out, outBytes,
                              &returned, nullptr);
    *returnedOut = returned;
    return ok ? 1 : 0;
}

void UsbClosePath(UsbHandle handle) {
    if (Simulated()) return UsbSimClose(handle);
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

// The library is loaded in both cases; with the simulated host the tree calls go there.
int CmLoad() {
    if (Simulated() && !UsbSimCmAvailable()) return 0;
    if (!g_cm.library) {
        g_cm.library = LoadLibraryA("cfgmgr32.dll");
        if (!g_cm.library) return 0;
        // A missing entry point stays null and its calls fail.
        g_cm.locateDevNode = EntryPoint<LocateDevNodeFn>(g_cm.library, "CM_Locate_DevNodeA");
        g_cm.getChild = EntryPoint<TreeStepFn>(g_cm.library, "CM_Get_Child");
        g_cm.getSibling = EntryPoint<TreeStepFn>(g_cm.library, "CM_Get_Sibling");
        g_cm.getParent = EntryPoint<TreeStepFn>(g_cm.library, "CM_Get_Parent");
        g_cm.getProperty = EntryPoint<GetPropertyFn>(g_cm.library, "CM_Get_DevNode_Registry_PropertyA");
    }
    return 1;
}

void CmFree() {
    if (g_cm.library) FreeLibrary(g_cm.library);
    g_cm = ManagerState();
}

uint32_t CmLocateRoot(uint32_t* nodeOut) {
    if (Simulated()) return UsbSimCmLocateRoot(nodeOut);
    *nodeOut = 0;
    if (!g_cm.locateDevNode) return CM_ERR_FAILURE;
    DWORD node = 0;
    DWORD r = g_cm.locateDevNode(&node, nullptr, 0);
    *nodeOut = node;
    return r;
}

namespace {
uint32_t TreeStep(TreeStepFn fn, uint32_t* out, uint32_t node) {
    *out = 0;
    if (!fn) return CM_ERR_FAILURE;
    DWORD next = 0;
    DWORD r = fn(&next, node, 0);
    *out = next;
    return r;
}
}  // namespace

uint32_t CmGetChild(uint32_t* childOut, uint32_t node) {
    return Simulated() ? UsbSimCmGetChild(childOut, node) : TreeStep(g_cm.getChild, childOut, node);
}
uint32_t CmGetSibling(uint32_t* siblingOut, uint32_t node) {
    return Simulated() ? UsbSimCmGetSibling(siblingOut, node) : TreeStep(g_cm.getSibling, siblingOut, node);
}
uint32_t CmGetParent(uint32_t* parentOut, uint32_t node) {
    return Simulated() ? UsbSimCmGetParent(parentOut, node) : TreeStep(g_cm.getParent, parentOut, node);
}

uint32_t CmGetProperty(uint32_t node, uint32_t property, char* buf, uint32_t* bufBytesInOut) {
    if (Simulated()) return UsbSimCmGetProperty(node, property, buf, bufBytesInOut);
    if (!g_cm.getProperty) return CM_ERR_FAILURE;
    ULONG type = 0, length = *bufBytesInOut;
    DWORD r = g_cm.getProperty(node, property, &type, buf, &length, 0);
    *bufBytesInOut = length;
    return r;
}
