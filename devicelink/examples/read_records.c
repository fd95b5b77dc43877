/* Connects to the reader, asks how many records it holds and prints the first
 * few. Plain C: shows the library from a C caller's side. */
#include <stdio.h>
#include <stdlib.h>

#include <kestlink.h>

int main(int argc, char **argv)
{
    unsigned limit = argc > 1 ? (unsigned)strtoul(argv[1], NULL, 10) : 5;
    uint16_t count = 0;
    unsigned i;

    if (!KX_Connect()) {
        fprintf(stderr, "no reader answered on COM3 to COM9 or a USB serial adapter (set KESTLINK_TRACE=1 to see why)\n");
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
        printf("%05u %.16s %.4s/%.2s/%.2s %.2s:%.2s:%.2s flag %u\n", i + 1, r.cardNumber, r.year,
               r.month, r.day, r.hour, r.minute, r.second, (unsigned)r.flag);
    }
    KX_Close();
    return 0;
}
