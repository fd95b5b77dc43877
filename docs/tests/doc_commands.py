# SPDX-License-Identifier: MIT
"""The shell commands the README, the guides and the manual pages show a
person to type, found as a reader finds them: every line of a ```sh block,
the "$ " lines of other blocks, indented command blocks, and the inline
code spans and bold manual-page lines that are a command with arguments."""

import dataclasses
import pathlib
import re

# The pages a person reads for what to type (the changelog is history).
PAGES = ["README.md", "docs/*.md", "bench/RESULTS.md", "simulator/README.md", "fuzz/README.md", "docs/man/*.1"]

# What a command written inline starts with, when it is one.
PROGRAMS = {
    "kestlink", "kestsim", "kestrix", "ctest", "cmake", "cpack", "sudo", "apt", "apt-get", "pkg-config", "cc",
    "gcc", "fuser", "lsof", "msiexec", "dpkg", "dpkg-deb", "ldconfig", "export", "wine", "wine64", "wineserver",
    "man", "unzip", "python3", "i686-w64-mingw32-gcc", "x86_64-w64-mingw32-gcc", "lintian", "xvfb-run",
}
SCRIPT = re.compile(r"^(\./)?(scripts|bench|build[\w-]*|operator|devicelink|packaging)/\S+$")
ASSIGNMENT = re.compile(r"^[A-Z_][A-Z0-9_]*=\S*$")


@dataclasses.dataclass
class Occurrence:
    page: str       # relative to the source folder
    line: int       # 1-based
    command: str    # as written, continuation lines joined
    where: str      # "block", "prompt" or "inline"
    block: int      # the block's number on its page (inline: -1)
    context: str    # the heading above it and the lines before it

    def section(self):
        """The heading it stands under: the blocks of one section are typed
        in one shell, one after the other."""
        return self.context.split("\n", 1)[0]

    def key(self):
        return normalized(self.command)

    def at(self):
        return f"{self.page}:{self.line}"


def normalized(command):
    """The command without its trailing comment, spaces collapsed: the key
    the table knows it by."""
    return " ".join(without_comment(command).split())


def without_comment(command):
    """The command as the shell runs it: without its trailing comment."""
    out, quote = [], None
    for i, c in enumerate(command):
        if quote:
            if c == quote:
                quote = None
        elif c in "'\"":
            quote = c
        elif c == "#" and (i == 0 or command[i - 1].isspace()):
            break
        out.append(c)
    return "".join(out).rstrip()


def is_command(span):
    words = span.split()
    while words and ASSIGNMENT.match(words[0]):
        words = words[1:]
    if len(words) < 2 and not (words and len(span.split()) > len(words)):
        return False
    return bool(words) and (words[0] in PROGRAMS or bool(SCRIPT.match(words[0])))


def unroff(text):
    return (text.replace("\\-", "-").replace("\\(dq", '"').replace("\\e", "\\").replace("\\&", "")
            .replace("\\fB", "").replace("\\fR", "").replace("\\fI", "").replace("\\fP", ""))


def _context(lines, index, heading):
    return heading + "\n" + "\n".join(lines[max(0, index - 8):index + 1])


def _joined(lines, i):
    """The command starting at line i with its backslash continuations, and the next line's index."""
    text = lines[i].rstrip()
    j = i + 1
    while text.endswith("\\") and j < len(lines):
        text = text[:-1].rstrip() + " " + lines[j].strip()
        j += 1
    return text, j


def from_markdown(page, text):
    lines = text.split("\n")
    found, heading, fence, blocks = [], "", None, 0
    i = 0
    while i < len(lines):
        line = lines[i]
        if fence is None and line.startswith("#"):
            heading = line
        if line.startswith("```"):
            if fence is None:
                fence = line[3:].strip()
                blocks += 1
            else:
                fence = None
            i += 1
            continue
        if fence is not None:
            stripped = line.strip()
            if fence in ("sh", "bash", "shell") and stripped and not stripped.startswith("#"):
                command, j = _joined(lines, i)
                found.append(Occurrence(page, i + 1, command.strip(), "block", blocks, _context(lines, i, heading)))
                i = j
                continue
            if fence in ("", "text", "console") and line.startswith("$ "):
                found.append(Occurrence(page, i + 1, line[2:].strip(), "prompt", blocks, _context(lines, i, heading)))
            i += 1
            continue
        # An indented block after a blank line: commands for a command prompt.
        if line.startswith("    ") and line.strip() and i > 0 and (not lines[i - 1].strip() or
                                                                   lines[i - 1].startswith("    ")):
            if is_command(line.strip()):
                found.append(Occurrence(page, i + 1, line.strip(), "block", 1000 + i, _context(lines, i, heading)))
            i += 1
            continue
        for span in re.findall(r"`([^`]+)`", line):
            if is_command(span):
                found.append(Occurrence(page, i + 1, span, "inline", -1, _context(lines, i, heading)))
        i += 1
    return found


def from_man(page, text):
    lines = text.split("\n")
    found, heading, inside, blocks = [], "", False, 0
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith(".SH"):
            heading = unroff(line)
        if line.startswith(".nf"):
            inside, blocks = True, blocks + 1
        elif line.startswith(".fi"):
            inside = False
        elif inside and "EXAMPLES" in heading and line.strip() and not line.startswith("."):
            plain = [unroff(l) for l in lines]
            command, j = _joined(plain, i)
            found.append(Occurrence(page, i + 1, command.strip(), "block", blocks, _context(plain, i, heading)))
            i = j
            continue
        elif line.startswith(".B ") and "SYNOPSIS" not in heading:
            span = unroff(line[3:]).strip()
            if is_command(span):
                found.append(Occurrence(page, i + 1, span, "inline", -1,
                                        _context([unroff(l) for l in lines], i, heading)))
        i += 1
    return found


def occurrences(source):
    source = pathlib.Path(source)
    found = []
    for pattern in PAGES:
        for path in sorted(source.glob(pattern)):
            page = str(path.relative_to(source))
            text = path.read_text(encoding="utf-8")
            found += from_man(page, text) if page.endswith(".1") else from_markdown(page, text)
    return found
