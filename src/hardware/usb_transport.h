// Platform seam under the device search: open a host-controller or hub path, one control call
// with in and out blocks, close; and the five calls of the configuration manager's device tree.
// The Windows build talks to the system (or to the simulated host when QD_USB_SIM names a state
// file); the native build always talks to the simulated host.
#pragma once
#include <cstdint>

typedef intptr_t UsbHandle;
const UsbHandle USB_NO_HANDLE = -1;  // all bits set, the platform's invalid handle value

// Opens a device path ("\\.\HCD0", "\\.\<hub name>") for control calls; USB_NO_HANDLE on failure.
UsbHandle UsbOpenPath(const char* path);
// One control call. returnedOut receives the byte count the call reports. 1 = the call succeeded.
int UsbControl(UsbHandle handle, uint32_t code, const void* in, uint32_t inBytes, void* out, uint32_t outBytes,
               uint32_t* returnedOut);
void UsbClosePath(UsbHandle handle);

// The configuration manager. CmLoad returns 1 when the library is loaded (kept until CmFree).
int CmLoad();
void CmFree();
// The tree calls return the manager's result code: 0 (CR_SUCCESS) or an error code.
enum {
    CM_OK = 0,
    CM_ERR_INVALID_DEVNODE = 0x05,
    CM_ERR_NO_SUCH_DEVNODE = 0x0D,
    CM_ERR_FAILURE = 0x13,
    CM_ERR_BUFFER_SMALL = 0x1A,
    CM_ERR_NO_SUCH_VALUE = 0x25,
};
enum { CM_PROP_DEVICEDESC = 1, CM_PROP_DRIVER = 10 };
uint32_t CmLocateRoot(uint32_t* nodeOut);  // the root of the device tree
uint32_t CmGetChild(uint32_t* childOut, uint32_t node);
uint32_t CmGetSibling(uint32_t* siblingOut, uint32_t node);
uint32_t CmGetParent(uint32_t* parentOut, uint32_t node);
// A text property of a node into buf (bufBytesInOut: its size in, the bytes written out).
uint32_t CmGetProperty(uint32_t node, uint32_t property, char* buf, uint32_t* bufBytesInOut);
