/* SPDX-License-Identifier: MIT */
/* Calls the library's commands as told on standard input, one call a
 * line, and answers each on standard output. Tests on Linux drive a Windows
 * build of the library this way, under Wine, against the virtual reader.
 *
 * The functions are bound by ordinal from kestlink.dll, as the programs that
 * load the reader's DLL do; "exports" checks that each ordinal and its name
 * give one and the same function.
 *
 *   call:    NAME ARG...   NAME as exported (KX_ReadData); numbers in decimal,
 *                          buffers in hex, "-" for a null pointer
 *   answer:  RESULT MICROSECONDS BUFFER...
 *            every buffer argument as it is after the call, "-" for null
 *   or:      error TEXT
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "kestlink.h"

typedef int32_t(KX_CALL *NoArgs)(void);
typedef int32_t(KX_CALL *NumberAndBuffer)(uint16_t, void *);
typedef int32_t(KX_CALL *OneBuffer)(void *);
typedef int32_t(KX_CALL *BufferAndInt)(void *, int32_t);
typedef int32_t(KX_CALL *TwoBuffers)(void *, void *);

enum Shape { NO_ARGS, NUMBER_AND_BUFFER, ONE_BUFFER, BUFFER_AND_INT, TWO_BUFFERS };

struct Command {
    const char *name;
    int ordinal;
    enum Shape shape;
    unsigned sizes[2]; /* bytes of each buffer argument */
    FARPROC function;
};

static struct Command commands[] = {
    {"KX_Connect", 1, NO_ARGS, {0, 0}, NULL},
    {"KX_Close", 2, NO_ARGS, {0, 0}, NULL},
    {"KX_ReadData", 3, NUMBER_AND_BUFFER, {31, 0}, NULL},
    {"KX_DeleteAllData", 4, NO_ARGS, {0, 0}, NULL},
    {"KX_QueryNumber", 5, ONE_BUFFER, {2, 0}, NULL},
    {"KX_SetTime", 6, ONE_BUFFER, {7, 0}, NULL},
    {"KX_LoadCmpData", 7, NUMBER_AND_BUFFER, {16, 0}, NULL},
    {"KX_DeleteCmpData", 8, NO_ARGS, {0, 0}, NULL},
    {"KX_ReadCmpData", 9, NUMBER_AND_BUFFER, {KX_COMPARE_READBACK_SIZE, 0}, NULL},
    {"KX_SetDomain", 10, BUFFER_AND_INT, {KX_DOMAIN_SIZE, 0}, NULL},
    {"KX_GetDomain", 11, TWO_BUFFERS, {KX_DOMAIN_READBACK_SIZE, 2}, NULL},
    {"KX_SetKey", 12, ONE_BUFFER, {KX_KEY_SIZE, 0}, NULL},
    {"KX_GetKey", 13, ONE_BUFFER, {KX_KEY_SIZE, 0}, NULL},
    {"KX_GetLinkState", 15, NO_ARGS, {0, 0}, NULL},
};
#define COMMAND_COUNT (sizeof commands / sizeof commands[0])

struct Buffer {
    int isNull;
    unsigned char bytes[64];
};

static int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/* A buffer argument: exactly `size` bytes in hex, or "-". */
static int parseBuffer(const char *text, unsigned size, struct Buffer *out)
{
    unsigned i;
    if (text == NULL)
        return 0;
    if (strcmp(text, "-") == 0) {
        out->isNull = 1;
        return 1;
    }
    if (strlen(text) != 2u * size)
        return 0;
    out->isNull = 0;
    for (i = 0; i < size; ++i) {
        const int high = hexDigit(text[2 * i]), low = hexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return 0;
        out->bytes[i] = (unsigned char)(high * 16 + low);
    }
    return 1;
}

static int parseNumber(const char *text, long min, long max, long *out)
{
    char *end = NULL;
    long value;
    if (text == NULL)
        return 0;
    value = strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < min || value > max)
        return 0;
    *out = value;
    return 1;
}

static void printBuffer(const struct Buffer *b, unsigned size)
{
    unsigned i;
    if (b->isNull) {
        fputs(" -", stdout);
        return;
    }
    putchar(' ');
    for (i = 0; i < size; ++i)
        printf("%02x", b->bytes[i]);
}

static double microsecondsBetween(LARGE_INTEGER from, LARGE_INTEGER to)
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    return (double)(to.QuadPart - from.QuadPart) * 1e6 / (double)frequency.QuadPart;
}

static void call(struct Command *c, char *args)
{
    struct Buffer buffers[2];
    long number = 0, integer = 0;
    const char *first = strtok(args, " \t\r\n");
    const char *second = strtok(NULL, " \t\r\n");
    LARGE_INTEGER start, end;
    int32_t result = 0;
    int ok = 1;
    memset(buffers, 0, sizeof buffers);

    switch (c->shape) {
    case NO_ARGS: ok = first == NULL; break;
    case NUMBER_AND_BUFFER:
        ok = parseNumber(first, 0, 65535, &number) && parseBuffer(second, c->sizes[0], &buffers[0]);
        break;
    case ONE_BUFFER: ok = parseBuffer(first, c->sizes[0], &buffers[0]) && second == NULL; break;
    case BUFFER_AND_INT:
        ok = parseBuffer(first, c->sizes[0], &buffers[0]) &&
             parseNumber(second, -2147483647L - 1, 2147483647L, &integer);
        break;
    case TWO_BUFFERS:
        ok = parseBuffer(first, c->sizes[0], &buffers[0]) && parseBuffer(second, c->sizes[1], &buffers[1]);
        break;
    }
    if (!ok) {
        printf("error wrong arguments for %s\n", c->name);
        return;
    }

#define POINTER(i) (buffers[i].isNull ? NULL : (void *)buffers[i].bytes)
    QueryPerformanceCounter(&start);
    switch (c->shape) {
    case NO_ARGS: result = ((NoArgs)(void (*)(void))c->function)(); break;
    case NUMBER_AND_BUFFER:
        result = ((NumberAndBuffer)(void (*)(void))c->function)((uint16_t)number, POINTER(0));
        break;
    case ONE_BUFFER: result = ((OneBuffer)(void (*)(void))c->function)(POINTER(0)); break;
    case BUFFER_AND_INT: result = ((BufferAndInt)(void (*)(void))c->function)(POINTER(0), (int32_t)integer); break;
    case TWO_BUFFERS: result = ((TwoBuffers)(void (*)(void))c->function)(POINTER(0), POINTER(1)); break;
    }
    QueryPerformanceCounter(&end);
#undef POINTER

    printf("%ld %.0f", (long)result, microsecondsBetween(start, end));
    if (c->sizes[0] > 0)
        printBuffer(&buffers[0], c->sizes[0]);
    if (c->sizes[1] > 0)
        printBuffer(&buffers[1], c->sizes[1]);
    putchar('\n');
}

/* Each ordinal and its name must be one function. */
static void checkExports(HMODULE library)
{
    size_t i;
    int same = 1;
    for (i = 0; i < COMMAND_COUNT; ++i) {
        if (GetProcAddress(library, commands[i].name) != commands[i].function) {
            printf("error %s is not ordinal %d\n", commands[i].name, commands[i].ordinal);
            same = 0;
        }
    }
    if (same)
        printf("ok %u functions by ordinal and by name\n", (unsigned)COMMAND_COUNT);
}

int main(void)
{
    char line[512];
    size_t i;
    HMODULE library = LoadLibraryA("kestlink.dll");
    if (library == NULL) {
        printf("error kestlink.dll not loaded (%lu)\n", (unsigned long)GetLastError());
        return 1;
    }
    for (i = 0; i < COMMAND_COUNT; ++i) {
        commands[i].function = GetProcAddress(library, (LPCSTR)(ULONG_PTR)commands[i].ordinal);
        if (commands[i].function == NULL) {
            printf("error ordinal %d not exported\n", commands[i].ordinal);
            return 1;
        }
    }
    printf("ready %u-bit\n", (unsigned)(sizeof(void *) * 8));
    fflush(stdout);

    while (fgets(line, sizeof line, stdin) != NULL) {
        char *name = line;
        char *rest;
        line[strcspn(line, "\r\n")] = '\0';
        rest = line + strcspn(line, " \t");
        if (*rest != '\0')
            *rest++ = '\0';
        if (*name == '\0')
            continue;
        if (strcmp(name, "quit") == 0)
            break;
        if (strcmp(name, "exports") == 0) {
            checkExports(library);
        } else {
            struct Command *found = NULL;
            for (i = 0; i < COMMAND_COUNT; ++i)
                if (strcmp(name, commands[i].name) == 0)
                    found = &commands[i];
            if (found != NULL)
                call(found, rest);
            else
                printf("error unknown call %s\n", name);
        }
        fflush(stdout);
    }
    FreeLibrary(library);
    return 0;
}
