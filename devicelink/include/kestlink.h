/* SPDX-License-Identifier: MIT */
/*
 * Kestlink: the link to the handheld RFID tag reader.
 *
 * The library owns one serial connection per process. KX_Connect looks for the
 * reader on the ports COM3 to COM9, then on the USB serial adapters present;
 * KX_GetConnectReport tells how each port fared. Every other function is one request/reply
 * transaction with the reader on that connection. Every function returns 1 for
 * success and 0 for failure; output buffers are written only on success, and
 * every command returns 0 at once, sending nothing, while no reader is connected.
 *
 * Each call is one indivisible transaction: calls from several threads are
 * serialised, never interleaved on the wire.
 *
 * The header is plain C and the structures have no padding, so it can be used
 * from C, C++ and foreign-function interfaces such as Python's ctypes.
 */
#ifndef KESTLINK_H
#define KESTLINK_H

#include <stdint.h>

#if defined(_WIN32)
#  define KX_CALL __stdcall
#  if defined(KESTLINK_BUILDING)
#    define KX_API /* names and ordinals come from kestlink.def */
#  else
#    define KX_API __declspec(dllimport)
#  endif
#else
#  define KX_CALL
#  if defined(KESTLINK_BUILDING)
#    define KX_API __attribute__((visibility("default")))
#  else
#    define KX_API
#  endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One record as the reader stores it: 31 bytes, all text is ASCII, nothing is
 * zero-terminated. */
typedef struct TagRecord {
    char cardNumber[16]; /* e.g. "999 012345678901" */
    char year[4];        /* "2024" */
    char month[2];       /* "01" to "12" */
    char day[2];
    char hour[2];
    char minute[2];
    char second[2];
    uint8_t flag; /* 0 means no flag */
} TagRecord;

/* The reader's clock as KX_SetTime takes it: plain binary values, which the
 * library sends as packed BCD (the century byte is sent unchanged). */
typedef struct DeviceTime {
    uint8_t century; /* 0x20 */
    uint8_t year;    /* 0 to 99, within the century */
    uint8_t month;   /* 1 to 12 */
    uint8_t day;     /* 1 to 31 */
    uint8_t hour;    /* 0 to 23 */
    uint8_t minute;  /* 0 to 59 */
    uint8_t second;  /* 0 to 59 */
} DeviceTime;

/* One entry of the reader's comparison list: a card number as text,
 * zero-filled when shorter than 16 characters, not terminated when 16 long. */
typedef struct CompareEntry {
    char cardNumber[16];
} CompareEntry;

/* Sizes of the caller's buffers for the commands that return opaque bytes. */
#define KX_COMPARE_READBACK_SIZE 30
#define KX_DOMAIN_SIZE 20
#define KX_DOMAIN_READBACK_SIZE 23
#define KX_KEY_SIZE 15

/* Compile-time size checks that work in C89, C99, C11 and C++. */
typedef char kx_check_tag_record_size[sizeof(TagRecord) == 31 ? 1 : -1];
typedef char kx_check_device_time_size[sizeof(DeviceTime) == 7 ? 1 : -1];
typedef char kx_check_compare_entry_size[sizeof(CompareEntry) == 16 ? 1 : -1];

/* Connection. KX_Connect tries COM3 to COM9 in turn, then the USB serial
 * adapters present (Linux: the links in /dev/serial/by-id, else /dev/ttyUSB*
 * and /dev/ttyACM*; Windows: the other COM ports the system lists), and keeps
 * the first port whose reader answers the handshake; a connection already
 * open is closed first. With KESTLINK_PORT_DIR set (POSIX), only COM3 to COM9
 * in that folder are tried. KX_Close always succeeds. */
KX_API int32_t KX_CALL KX_Connect(void);
KX_API int32_t KX_CALL KX_Close(void);

/* How one port fared in the last KX_Connect. */
#define KX_PORT_NAME_SIZE 128
#define KX_PORT_HOLDER_SIZE 32

enum {
    KX_PORT_COM = 0,      /* COM3 to COM9 */
    KX_PORT_USB = 1,      /* a USB serial adapter by its stable name (by-id) */
    KX_PORT_USB_NODE = 2, /* a USB serial adapter by its device node */
    KX_PORT_LISTED = 3    /* a further COM port the system lists (Windows) */
};

enum {
    KX_PORT_ANSWERED = 1,      /* the reader answered: the connection is on it */
    KX_PORT_NOT_FOUND = 2,     /* no such port (or a link that leads nowhere) */
    KX_PORT_NO_PERMISSION = 3, /* the user may not open it (Linux: not in dialout) */
    KX_PORT_BUSY = 4,          /* held by another program */
    KX_PORT_NOT_A_PORT = 5,    /* the name exists but is no serial port */
    KX_PORT_NO_ANSWER = 6,     /* opened, but nothing answered the handshake */
    KX_PORT_WRONG_ANSWER = 7,  /* opened, and something else answered */
    KX_PORT_FAILED = 8         /* could not be opened for another reason */
};

typedef struct KX_PortReport {
    char name[KX_PORT_NAME_SIZE];     /* "COM3", a by-id name, "/dev/ttyUSB0",
                                         "COM12"; UTF-8, zero-terminated */
    int32_t kind;                     /* KX_PORT_COM ... */
    int32_t outcome;                  /* KX_PORT_ANSWERED ... */
    int32_t holderPid;                /* KX_PORT_BUSY: the holder's process id
                                         where the system tells it, else 0 */
    char holder[KX_PORT_HOLDER_SIZE]; /* and its program name, else "" */
} KX_PortReport;

typedef char kx_check_port_report_size[sizeof(KX_PortReport) == 172 ? 1 : -1];

/* The ports the last KX_Connect tried, in order: writes up to capacity of
 * them to ports and returns how many it tried (0 before any KX_Connect). Pass
 * a null ports and 0 to learn the count. */
KX_API int32_t KX_CALL KX_GetConnectReport(KX_PortReport *ports, int32_t capacity);

/* The connection's state. KX_LINK_LOST: the port went away under a call (a
 * cable pulled, a USB adapter reset or unplugged); the connection was closed
 * then, so every command fails at once until KX_Connect finds the reader
 * again, perhaps on another port. */
enum { KX_LINK_CLOSED = 0, KX_LINK_OPEN = 1, KX_LINK_LOST = 2 };
KX_API int32_t KX_CALL KX_GetLinkState(void);

/* Records, count and clock. Record numbers run from 0 to count - 1. */
KX_API int32_t KX_CALL KX_ReadData(uint16_t recordNumber, TagRecord *record);
KX_API int32_t KX_CALL KX_DeleteAllData(void);
KX_API int32_t KX_CALL KX_QueryNumber(uint16_t *count);
KX_API int32_t KX_CALL KX_SetTime(const DeviceTime *time);

/* Comparison list, domain block and key. */
KX_API int32_t KX_CALL KX_LoadCmpData(uint16_t entryNumber, const CompareEntry *entry);
KX_API int32_t KX_CALL KX_DeleteCmpData(void);
KX_API int32_t KX_CALL KX_ReadCmpData(uint16_t entryNumber, uint8_t *out /* 30 bytes */);
KX_API int32_t KX_CALL KX_SetDomain(const uint8_t *domain /* 20 bytes */, int32_t unused);
KX_API int32_t KX_CALL KX_GetDomain(uint8_t *out /* 23 bytes */, uint16_t *length);
KX_API int32_t KX_CALL KX_SetKey(const uint8_t *key /* 15 bytes */);
KX_API int32_t KX_CALL KX_GetKey(uint8_t *out /* 15 bytes */);

#ifdef __cplusplus
}
#endif

#endif /* KESTLINK_H */
