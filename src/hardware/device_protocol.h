// How the deck talks to the Vornex device: the hub interface's control codes and record layouts,
// and the device's own requests, registers and replies. The device code, the simulated host and
// vornexsim all take their numbers from here, so the simulator cannot drift from the device code.
#pragma once
#include <cstdint>

// Control codes of the hub interface.
enum : uint32_t {
    IOCTL_NODE_INFORMATION = 0x220408,  // on a hub; the same code asks a host controller for its root hub
    IOCTL_ROOT_HUB_NAME = 0x220408,
    IOCTL_CONNECTION_INFORMATION = 0x22040C,
    IOCTL_DESCRIPTOR_REQUEST = 0x220410,
    IOCTL_CONNECTION_NAME = 0x220414,
    IOCTL_DRIVERKEY_NAME = 0x220420,
};

// Records of the hub interface (little-endian fields at these offsets).
enum {
    NODE_INFO_BYTES = 76,
    NODE_INFO_PORTS_AT = 6,       // bNumberOfPorts of the hub descriptor
    CONN_INFO_BYTES = 147,        // the connection record with room for its pipe list
    CONN_INFO_FIXED_BYTES = 35,   // the connection record without its pipe list
    CONN_INFO_DESCRIPTOR_AT = 4,  // the device descriptor, 18 bytes
    CONN_INFO_IS_HUB_AT = 24,     // DeviceIsHub
    CONN_INFO_STATUS_AT = 31,     // ConnectionStatus, 32-bit; non-zero = a device is there
    ROOT_HUB_NAME_AT = 4,         // after the record's length
    CONN_NAME_LENGTH_AT = 4,      // the connection-name and driver-key records: port, length, name
    CONN_NAME_AT = 8,
};

// A descriptor request to the device's port: a 12-byte header (port, then the setup packet) and
// the 24 bytes of the device's reply.
enum {
    REQUEST_PORT_AT = 0,     // 32-bit connection index
    REQUEST_VALUE_AT = 6,    // wValue: request type in the high byte, register or index in the low one
    REQUEST_PARAM_AT = 8,    // wIndex: the value written (0 = a read)
    REQUEST_LENGTH_AT = 10,  // wLength: REQUEST_DATA_BYTES
    REQUEST_HEADER_BYTES = 12,
    REQUEST_DATA_BYTES = 24,
    REQUEST_BLOCK_BYTES = REQUEST_HEADER_BYTES + REQUEST_DATA_BYTES,
    REQUEST_TYPE_SHIFT = 8,  // wValue = type << 8 | index
};

// Request types of the device.
enum : uint32_t {
    REQ_REGISTER = 0x10,       // read (parameter 0) or write a register
    REQ_INPUT_STATUS = 0x14,   // the four channel-status bytes of the digital input
    REQ_OUTPUT_STATUS = 0x16,  // one byte of the output channel status: parameter = byte << 8 | value
};
enum { OUTPUT_STATUS_INDEX_SHIFT = 8 };

// The device's reply: its length, the request type, the index, then the value.
enum {
    REPLY_LENGTH_AT = 0,
    REPLY_TYPE_AT = 1,
    REPLY_INDEX_AT = 2,
    REPLY_VALUE_AT = 3,  // a register's value, or the first of the four channel-status bytes
    REPLY_MIN_BYTES = 4,
};

// Registers.
enum {
    REG_INPUT_SELECT = 6,  // read: 1 = IN1, 2 = IN2, other = IN1; write 1 or 2
    REG_INPUT_LOCK = 7,    // read only: one of the lock codes, other = unlocked
    REG_POWER = 8,         // low nibble 1 off, 2 on, 3 automatic; write 1, 2 or 3
};
enum { INPUT_SELECT_IN1 = 1, INPUT_SELECT_IN2 = 2 };
enum { POWER_OFF = 1, POWER_ON = 2, POWER_AUTO = 3, POWER_MODE_MASK = 0x0F };

// Lock codes of register 7: the digital input is locked at this rate.
enum { LOCK_48000 = 5, LOCK_44100 = 6, LOCK_32000 = 7 };
