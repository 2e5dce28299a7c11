// Simulated USB host: host controllers, hubs, devices with their driver keys and descriptions in
// a device tree, and a Vornex device that answers the deck's requests. It stands in for the
// host-controller interface and the configuration manager wherever the system has none (Wine,
// the native build), answering the same calls as usb_transport.h.
//
// The host lives in a state file named by the environment variable QD_USB_SIM. The file is read
// again each time a path is opened, so a test or the vornexsim command can plug, unplug or move
// the device and change its registers while the deck runs. Register writes and output status
// bytes the device receives update its state lines and are appended as "wrote" lines, in order.
//
// State file: one record per line, fields separated by blanks, '#' starts a comment line.
// Descriptions run to the end of the line.
//   hcd N ROOTHUB                    host controller "\\.\HCD<N>" (N 0..9) whose root hub is ROOTHUB
//   hub NAME PORTS KEY DESCRIPTION   a hub ("\\.\<NAME>"), PORTS ports (0..255), driver key KEY
//   port HUB N hub NAME              hub NAME is plugged into port N of HUB (a root hub, or a
//                                    hub already plugged in by an earlier line, is ignored)
//   port HUB N device KEY DESCRIPTION    another device on port N of HUB
//   port HUB N vornex KEY DESCRIPTION    the Vornex device on port N of HUB
//   port HUB N lost KEY DESCRIPTION      port N of HUB lost its device, as a real hub answers
//                                    before the system has removed it: the port reports no
//                                    device, yet the driver key name still answers and the
//                                    device tree still holds the node with its description;
//                                    requests to the device fail
//   reg R V                          device register R (6, 7, 8) holds V
//   input B0 B1 B2 B3                channel status on the device's digital input
//   output B0 B1 B2 B3               channel status the device sends (last bytes written)
//   fault WHICH fail                 requests WHICH fail as control calls
//   fault WHICH reply N              requests WHICH get a reply of N data bytes
//   cfgmgr missing                   the configuration manager library does not load
//   wrote reg R V / wrote out K V    received by the device, oldest first (appended)
// WHICH: regR (any request to register R), readR, writeR, status (input status), outK (output
// status byte K), out (any output status byte), all (every request to the device).
// The device tree: the root, then each host controller (by number) with its root hub below it,
// and below each hub the devices on its ports in port order.
#pragma once
#include "hardware/usb_transport.h"
#include <cstdint>
#include <string>
#include <vector>

#define USB_SIM_ENV "QD_USB_SIM"

enum SimPortKind { SIM_PORT_HUB = 0, SIM_PORT_DEVICE = 1, SIM_PORT_VORNEX = 2, SIM_PORT_LOST = 3 };
enum SimFaultKind { SIM_FAULT_FAIL = 0, SIM_FAULT_REPLY = 1 };

struct SimController {
    int number;           // the N of "\\.\HCD<N>"
    std::string rootHub;  // name of its root hub
};
struct SimHub {
    std::string name;
    int ports;
    std::string driverKey;
    std::string description;
};
struct SimPort {
    std::string hub;          // the hub it is on
    int port;                 // 1-based
    int kind;                 // SimPortKind
    std::string name;         // SIM_PORT_HUB: the hub plugged in
    std::string driverKey;    // devices
    std::string description;  // devices
};
struct SimFault {
    std::string which;
    int kind;        // SimFaultKind
    int replyBytes;  // SIM_FAULT_REPLY
};
struct SimModel {
    std::vector<SimController> controllers;
    std::vector<SimHub> hubs;
    std::vector<SimPort> ports;
    uint8_t regs[256];
    uint8_t input[4];
    uint8_t output[4];
    std::vector<SimFault> faults;
    int cfgmgrMissing;
    std::vector<std::string> wrote;  // "reg 6 2", "out 1 150", oldest first
    SimModel();
};

// The text form. ParseSimModel skips lines it does not understand.
void ParseSimModel(const std::string& text, SimModel* modelOut);
std::string FormatSimModel(const SimModel& model);
int LoadSimFile(const char* path, SimModel* modelOut);  // 0 when the file cannot be read
int SaveSimFile(const char* path, const SimModel& model);

// Which state file the host uses ("" or null: none, the host is off). The transports set it
// from QD_USB_SIM on first use unless it was set before (UsbSimConfigured).
void UsbSimSetStateFile(const char* path);
int UsbSimConfigured();
int UsbSimActive();

// The answers to the transport seam.
UsbHandle UsbSimOpen(const char* path);
int UsbSimControl(UsbHandle handle, uint32_t code, const void* in, uint32_t inBytes, void* out, uint32_t outBytes,
                  uint32_t* returnedOut);
void UsbSimClose(UsbHandle handle);
int UsbSimCmAvailable();
uint32_t UsbSimCmLocateRoot(uint32_t* nodeOut);
uint32_t UsbSimCmGetChild(uint32_t* childOut, uint32_t node);
uint32_t UsbSimCmGetSibling(uint32_t* siblingOut, uint32_t node);
uint32_t UsbSimCmGetParent(uint32_t* parentOut, uint32_t node);
uint32_t UsbSimCmGetProperty(uint32_t node, uint32_t property, char* buf, uint32_t* bufBytesInOut);

// Tests: every control call made, oldest first, and the handles still open.
struct SimCall {
    std::string target;  // the path the handle was opened with
    uint32_t code;
    std::vector<uint8_t> in;
};
const std::vector<SimCall>& UsbSimCalls();
int UsbSimOpenHandles();
void UsbSimResetForTest();  // forgets calls, handles and the state file
