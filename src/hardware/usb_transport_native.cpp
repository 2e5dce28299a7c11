// Native build: the USB host is always the simulated one, with the state file named by
// QD_USB_SIM (or set by a test). Without a state file no controller opens.
#include "hardware/usb_sim.h"
#include "hardware/usb_transport.h"
#include <cstdlib>

namespace {
void Configure() {
    if (!UsbSimConfigured()) UsbSimSetStateFile(std::getenv(USB_SIM_ENV));
}
}  // namespace

UsbHandle UsbOpenPath(const char* path) {
    Configure();
    return UsbSimOpen(path);
}
int UsbControl(UsbHandle handle, uint32_t code, const void* in, uint32_t inBytes, void* out, uint32_t outBytes,
               uint32_t* returnedOut) {
    return UsbSimControl(handle, code, in, inBytes, out, outBytes, returnedOut);
}
void UsbClosePath(UsbHandle handle) { UsbSimClose(handle); }

int CmLoad() {
    Configure();
    return UsbSimCmAvailable();
}
void CmFree() {}
uint32_t CmLocateRoot(uint32_t* nodeOut) { return UsbSimCmLocateRoot(nodeOut); }
uint32_t CmGetChild(uint32_t* childOut, uint32_t node) { return UsbSimCmGetChild(childOut, node); }
uint32_t CmGetSibling(uint32_t* siblingOut, uint32_t node) { return UsbSimCmGetSibling(siblingOut, node); }
uint32_t CmGetParent(uint32_t* parentOut, uint32_t node) { return UsbSimCmGetParent(parentOut, node); }
uint32_t CmGetProperty(uint32_t node, uint32_t property, char* buf, uint32_t* bufBytesInOut) {
    return UsbSimCmGetProperty(node, property, buf, bufBytesInOut);
}
