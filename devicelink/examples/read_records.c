/* SPDX-License-Identifier: MIT */
/* Connects to the reader, asks how many records it holds and prints the first
 * few. Plain C: shows the library from a C caller's side. */
#include <stdio.h>
#include <stdlib.h>

#include <kestlink.h>

static const char *outcomeText(int32_t outcome)
{
    switch (outcome) {
    case KX_PORT_ANSWERED: return "the reader answered";
    case KX_PORT_NOT_FOUND: return "no such port";
    case KX_PORT_NO_PERMISSION: return "permission denied (Linux: sudo usermod -aG dialout $USER, then log in again)";
    case KX_PORT_BUSY: return "held by another program";
    case KX_PORT_NOT_A_PORT: return "not a serial port";
    case KX_PORT_NO_ANSWER: return "no answer";
    case KX_PORT_WRONG_ANSWER: return "a wrong answer";
    default: return "could not be opened";
    }
}

/* Says why no reader was found: each port the search tried. */
static void reportPorts(void)
{
    KX_PortReport ports[64];
    int32_t tried = KX_GetConnectReport(ports, 64);
    int32_t i;
    fprintf(stderr, "no reader answered; the ports tried:\n");
    for (i = 0; i < tried && i < 64; ++i) {
        fprintf(stderr, "  %s: %s", ports[i].name, outcomeText(ports[i].outcome));
        if (ports[i].holderPid != 0)
            fprintf(stderr, " (%s, PID %ld)", ports[i].holder, (long)ports[i].holderPid);
        fprintf(stderr, "\n");
    }
}

int main(int argc, char **argv)
{
    unsigned limit = argc > 1 ? (unsigned)strtoul(argv[1], NULL, 10) : 5;
    uint16_t count = 0;
    unsigned i;

    if (!KX_Connect()) {
        reportPorts();
        return 1;
    }
    if (!KX_QueryNumber(&count)) {
        fprintf(stderr, "the reader did not give its record count\n");
        KX_Close();
        return 1;
    }
    printf("%u records\n", (unsigned)count);

    for (i = 0; i < count && i < limit; ++i) {
        TagRecord r;
        if (!KX_ReadData((uint16_t)i, &r)) {
            fprintf(stderr, "record %u could not be read\n", i);
            KX_Close();
            return 1;
        }
        printf("%05u %.16s %.4s/%.2s/%.2s %.2s:%.2s:%.2s flag %u\n", i + 1, r.cardNumber, r.year, r.month, r.day,
               r.hour, r.minute, r.second, (unsigned)r.flag);
    }
    KX_Close();
    return 0;
}
