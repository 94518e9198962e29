/* launcher.exe: starts a program with an exact command line and show request.
 *
 *   launcher.exe [--hex] SHOW CMDLINE
 *
 * SHOW is a show command number (0..11) for STARTUPINFO.wShowWindow, or
 * "none" for no STARTF_USESHOWWINDOW at all. CMDLINE is taken from our own
 * raw command line (GetCommandLineA, not argv): everything after the single
 * space that follows SHOW, byte for byte, goes to CreateProcessA(NULL, ...).
 * With --hex, CMDLINE is instead one word of hex digit pairs, which is how
 * the harness passes exact bytes through `wine`, since wine re-quotes the
 * arguments it is given.
 *
 * Prints one JSON line as soon as the child runs, {"pid":N,"cmdline":"HEX"},
 * waits for it, prints {"exit":N} and returns the child's exit code.
 * On a failure of its own it prints {"error":"...","code":N} and returns 255.
 */
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define FAIL_EXIT 255

static int fail(const char *what, DWORD code)
{
    printf("{\"error\":\"%s\",\"code\":%lu}\n", what, (unsigned long)code);
    fflush(stdout);
    return FAIL_EXIT;
}

/* Skips one word of a command line the way the C runtime sees argv[0]:
 * a quoted word ends at the next quote, a plain one at a space or tab. */
static const char *skip_program_name(const char *p)
{
    if (*p == '"') {
        p++;
        while (*p && *p != '"') p++;
        if (*p) p++;
    } else {
        while (*p && *p != ' ' && *p != '\t') p++;
    }
    return p;
}

static const char *skip_blanks(const char *p)
{
    while (*p == ' ' || *p == '\t') p++;
    return p;
}

static const char *word_end(const char *p)
{
    while (*p && *p != ' ' && *p != '\t') p++;
    return p;
}

static int hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/* Decodes hex pairs into a new string; NULL when the text is not hex or
 * holds a NUL byte, which no command line can carry. */
static char *decode_hex(const char *p, const char *end)
{
    size_t n = (size_t)(end - p);
    char *out;
    size_t i;
    if (n % 2 != 0) return NULL;
    out = malloc(n / 2 + 1);
    if (!out) return NULL;
    for (i = 0; i < n / 2; i++) {
        int hi = hex_digit(p[2 * i]), lo = hex_digit(p[2 * i + 1]);
        if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) {
            free(out);
            return NULL;
        }
        out[i] = (char)(hi * 16 + lo);
    }
    out[n / 2] = '\0';
    return out;
}

static int parse_show(const char *p, const char *end, STARTUPINFOA *si)
{
    char *stop;
    unsigned long v;
    if (end - p == 4 && strncmp(p, "none", 4) == 0) return 1;
    if (end == p) return 0;
    v = strtoul(p, &stop, 10);
    if (stop != end || v > 11) return 0;
    si->dwFlags |= STARTF_USESHOWWINDOW;
    si->wShowWindow = (WORD)v;
    return 1;
}

static void print_pid_line(DWORD pid, const char *cmdline)
{
    const unsigned char *c;
    printf("{\"pid\":%lu,\"cmdline\":\"", (unsigned long)pid);
    for (c = (const unsigned char *)cmdline; *c; c++) printf("%02x", *c);
    printf("\"}\n");
    fflush(stdout);
}

int main(void)
{
    const char *p = skip_blanks(skip_program_name(GetCommandLineA()));
    const char *end;
    int hex = 0;
    char *cmdline;
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    DWORD code;

    _setmode(_fileno(stdout), _O_BINARY); /* "\n", not "\r\n", for the harness */
    end = word_end(p);
    if (end - p == 5 && strncmp(p, "--hex", 5) == 0) {
        hex = 1;
        p = skip_blanks(end);
        end = word_end(p);
    }

    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    if (!parse_show(p, end, &si) || *end != ' ') {
        fprintf(stderr, "usage: launcher.exe [--hex] SHOW|none CMDLINE\n");
        return fail("usage", 0);
    }
    p = end + 1; /* exactly one space separates SHOW from the command line */

    if (hex) {
        cmdline = decode_hex(p, word_end(p));
        if (!cmdline || *skip_blanks(word_end(p))) return fail("hex", 0);
    } else {
        cmdline = _strdup(p); /* CreateProcessA may write to its buffer */
        if (!cmdline) return fail("memory", 0);
    }

    /* No inherited handles: the child must not hold our stdout pipe open. */
    if (!CreateProcessA(NULL, cmdline, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return fail("CreateProcess", GetLastError());
    print_pid_line(pi.dwProcessId, cmdline);
    CloseHandle(pi.hThread);

    WaitForSingleObject(pi.hProcess, INFINITE);
    if (!GetExitCodeProcess(pi.hProcess, &code)) return fail("GetExitCodeProcess", GetLastError());
    CloseHandle(pi.hProcess);
    printf("{\"exit\":%lu}\n", (unsigned long)code);
    fflush(stdout);
    free(cmdline);
    return (int)code;
}
