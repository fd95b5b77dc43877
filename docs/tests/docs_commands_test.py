#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Every command the README, the guides and the manual pages show a person
to type is run here, or by a test of the build that this names, or stands
on its page as one that needs a real reader. A page that shows a command
this table does not know fails the test, so a new command cannot slip in
untried; an entry no page shows any more fails it too.

    docs_commands_test.py SOURCE BUILD [--wine]

Sessions that run Wine (a block that tries a DLL by hand in the 64-bit
tests' prefix) are left to a second run with --wine, which runs only them,
so that the rest never waits for that prefix's turn.

Commands are run as a reader of the page would run them, in a folder that
looks like the source folder after a build (the source's files, and build/
leading to the build under test), so that what they write stays there:
the lines of the blocks of one section one after the other in one shell,
each judged by its exit status; a command shown inline in a shell of its own, with the
tools on the PATH as if installed and a virtual reader on COM3 and COM5, as
the sections that mention them assume. Manual pages speak of installed
tools, so their examples get the PATH too. Standard input is no terminal.
"""

import dataclasses
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

import doc_commands


@dataclasses.dataclass
class Run:
    """Run here; `status` is the exit status the page leads one to expect.
    `serves`: a program that runs until stopped (the virtual reader): it
    must announce its port folder and keep running. `instead`: the
    command run for a form with placeholders. `files`: what the reader of
    the page already has in the folder (name: bytes)."""
    status: int = 0
    serves: bool = False
    instead: str = ""
    files: dict = dataclasses.field(default_factory=dict)
    needs: str = ""  # a path that must exist first, else the command is not run, saying why


@dataclasses.dataclass
class Lists:
    """A ctest command: listed with -N, it must select tests, and each
    name it selects must match `names`."""
    names: str = r".*"
    instead: str = ""


@dataclasses.dataclass
class Test:
    """Run by the named test of this build (which must exist)."""
    name: str


@dataclasses.dataclass
class TestCommand:
    """Run by the test command itself: `fragment` is in `script`."""
    fragment: str
    script: str = "scripts/test.sh"


@dataclasses.dataclass
class Reader:
    """Needs a real reader, and its page says so next to it."""


@dataclasses.dataclass
class Mention:
    """Named in prose, not given to type: `why`."""
    why: str


def gbk(text):
    return text.encode("gbk")


EXPORT_CSV = gbk("序号,卡号,时间,标记 \n00001,999 012345678901,2024/01/01 08:00:00, \n"
                 "00002,999 012346414880,2024/01/01 08:00:17,1\n")

# How each command is proven, by its text without comment.
PROOFS = {
    # README
    "./scripts/run.sh": Test("kestrix_run_check"),
    "./scripts/test.sh": TestCommand("./scripts/test.sh", ".ci/run"),
    "./scripts/test.sh --quick": Lists(instead="ctest --preset quick", names=r".*"),
    "scripts/run.sh --windows": Test("kestrix_run_windows_check"),
    "scripts/run.sh --check": Test("kestrix_run_check"),
    "scripts/bench.sh 5": Test("kestrix_bench_sh_runs"),
    # design
    "kestsim --fault noise:handshake": Run(serves=True),
    # development: the test command and the presets
    "ctest --test-dir build -L wine": Lists(),
    "cmake --preset dev": TestCommand("cmake --preset dev"),
    "ctest --preset quick": Lists(),
    "scripts/fuzz.sh 60": TestCommand("scripts/fuzz.sh"),
    "xvfb-run -a": Mention("what the tests do not use, and why"),
    # development: Wine
    "ctest --test-dir build -R under_wine --output-on-failure": Lists(names=r".*_under_wine$"),
    "build/simulator/kestsim --records 100 >kestsim.out &": Run(),
    'sleep 1; export "$(head -n 1 kestsim.out)"': Run(),
    "export WINEPREFIX=$PWD/build/wine-prefix-Win64 WINEDEBUG=-all": Run(),
    'ln -sfn "$KESTLINK_PORT_DIR/COM3" "$WINEPREFIX/dosdevices/com3"': Run(),
    "cd build/windows-x64/devicelink": Run(),
    "WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 kestlink_read_records.exe 5": Run(),
    "/usr/lib/wine/wineserver64 -k": Run(),
    "kill %1": Run(),
    "WINEPREFIX=... scripts/wine-cjk-fonts.sh": Test("kestrix_run_windows_check"),
    "ctest --test-dir build -R 'kestrix_windows_(dialog|toolkit)_' -j 4 --output-on-failure":
        Lists(names=r"kestrix_windows_(dialog|toolkit)_Win(32|64)_under_wine"),
    "ctest --test-dir build -R kestrix_windows_install --output-on-failure":
        Lists(names=r"kestrix_windows_install(er|ed_program)_x(64|86)_.*"),
    # development: kestsim
    "build/simulator/kestsim --records 1000": Run(serves=True),
    "build/simulator/kestsim --port 4 --port 6 --csv export.csv --log": Run(serves=True,
                                                                         files={"export.csv": EXPORT_CSV}),
    "build/simulator/kestsim --fault bad-checksum:query-count@2x1 --fault hang-up:read-record@100": Run(serves=True),
    "kestlink read --csv": Run(instead="kestlink read --csv records.csv"),
    "kestsim --help": Run(),
    # development: Debian packages (the package test runs them on its own packages)
    "./scripts/package.sh": Test("debian_packages"),
    "sudo apt install ./build-debian/debs/*.deb": Test("debian_packages"),
    "apt install ./build-debian/debs/*.deb": Test("debian_packages"),
    "cpack -G DEB": Test("debian_packages"),
    "cmake --install": Test("kestlink_install_and_link"),
    "scripts/check-debian-packages.sh DEB_FOLDER": Test("debian_packages"),
    "dpkg-deb -x": Test("debian_packages"),
    "kestlink --version": Test("debian_packages"),
    "pkg-config --modversion kestlink": Test("debian_packages"),
    "man --warnings": Test("debian_packages"),
    "kestsim --records 5": Run(serves=True),
    "kestlink read": Run(),
    # development: soak
    "./scripts/soak.sh": Test("kestlink_soak_runs"),
    "./scripts/soak.sh 10000 SEED": Test("kestlink_soak_runs"),
    # library
    "cc example.c $(pkg-config --cflags --libs kestlink)": Test("kestlink_install_into_usr_local"),
    "sudo cmake --install build --prefix /usr/local": Test("kestlink_install_into_usr_local"),
    "sudo ldconfig": Test("kestlink_install_into_usr_local"),
    "cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake "
    "-DKESTRIX_LIBRARY_ONLY=ON -DKESTRIX_TESTS=OFF": Run(),
    "cmake --build build-win32": Run(),
    # user guide
    "cmake --install build": Test("kestlink_install_and_link"),
    "kestlink ports": Run(),
    "kestlink --port NAME": Run(instead="kestlink --port COM5 count"),
    'sudo usermod -aG dialout "$USER"': Reader(),
    "fuser -v /dev/ttyUSB0": Reader(),
    "sudo systemctl stop ModemManager": Reader(),
    "KESTLINK_TRACE=1 ./scripts/run.sh": Test("kestrix_run_check"),
    "cmake --build build": TestCommand("cmake --build build"),
    "msiexec /i Kestrix-1.0.0.1-x64.msi ADDLOCAL=ALL": Test("kestrix_windows_installer_x64_under_wine"),
    "msiexec /i Kestrix-1.0.0.1-x64.msi ADDLOCAL=Kestrix,Programmer": Test("kestrix_windows_installer_x64_under_wine"),
    "msiexec /i Kestrix-1.0.0.1-x64.msi ADDLOCAL=Programmer": Test("kestrix_windows_installer_x64_under_wine"),
    "msiexec /i Kestrix-1.0.0.1-x64.msi /qn": Test("kestrix_windows_installer_x64_under_wine"),
    "msiexec /x Kestrix-1.0.0.1-x64.msi /qn": Test("kestrix_windows_installer_x64_under_wine"),
    'export PATH="$PWD/build/operator/cli:$PWD/build/simulator:$PATH"': Run(),
    "kestsim --port 3 --port 5 --records 200 >kestsim.out &": Run(),
    "kestlink count": Run(),
    "kestlink read --first 100 --last 200": Run(),
    "kestlink read --csv records.csv": Run(),
    "kestlink read --dedup --json": Run(),
    "kestlink set-clock": Run(),
    'kestlink set-clock --time "2024-05-06 07:08:09"': Run(),
    # Off a terminal it refuses without --yes: wrong usage.
    "kestlink erase": Run(status=2),
    "kestlink compare load records.csv": Run(files={"records.csv": EXPORT_CSV}),
    "kestlink compare erase --yes": Run(),
    "kestlink domain get": Run(),
    "kestlink key set 00112233445566778899aabbccddee": Run(),
    "kestlink --port COM5 count": Run(),
    "kestlink count --port /dev/ttyUSB0": Reader(),
    # benchmarks
    "./scripts/bench.sh": Test("kestrix_bench_sh_runs"),
    "bench/windows_dialog_download.sh [BUILD_DIR] [RECORDS]": Test("kestrix_dialog_bench_windows_runs"),
    # the virtual reader's and the fuzz targets' own pages
    "kestsim --port 3 --records 1000 --fault late:read-record@5x1": Run(serves=True),
    "kestsim --fault delay=24:read-record --fault stray=4/0d0a:read-record@3x2": Run(serves=True),
    "scripts/fuzz.sh [seconds]": TestCommand("scripts/fuzz.sh"),
    "build-fuzz/<target> <file>": Run(
        instead="build-fuzz/fuzz_reply_judgement fuzz/corpus/fuzz_reply_judgement/"
                "$(ls fuzz/corpus/fuzz_reply_judgement | head -n 1)",
        needs="build-fuzz/programs.txt"),
    # the manual pages
    "kestlink --port /dev/ttyUSB0 read --csv records.csv": Reader(),
    "kestsim --records 5 >kestsim.out &": Run(),
    "kestsim --port 3 --port 5 --records 1000 --fault bad-checksum:read-record@10x2": Run(serves=True),
    "kestsim --fault delay=24:read-record --fault stray=4:read-record": Run(serves=True),
}


def fail(message):
    print("FAILED:", message)
    return False


class Checkout:
    """A folder that looks like the source folder after a build: a link for
    each of the source's entries, and build/ a folder of links into the
    build under test (its own Testing/, so that a ctest listing here never
    writes into the test run's log)."""

    def __init__(self, source, build):
        self.root = pathlib.Path(tempfile.mkdtemp(prefix="kestrix-docs."))
        for entry in source.iterdir():
            if not entry.name.startswith("build") and entry.name != ".git":
                (self.root / entry.name).symlink_to(entry)
        (self.root / "build").mkdir()
        for entry in build.iterdir():
            if entry.name != "Testing":
                (self.root / "build" / entry.name).symlink_to(entry)
        fuzz = source / "build-fuzz"
        if fuzz.is_dir():
            (self.root / "build-fuzz").symlink_to(fuzz)
        (self.root / "tmp").mkdir()

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)


def program_dirs(build):
    paths = {}
    for line in (build / "programs.txt").read_text().splitlines():
        if "=" in line and not line.startswith("#"):
            target, path = line.split("=", 1)
            paths[target] = path
    return [os.path.dirname(paths["kestlink_cli"]), os.path.dirname(paths["kestsim_cli"])]


READER_PRELUDE = """kestsim --port 3 --port 5 >"$KESTRIX_DOCS_LOGS/reader.out" 2>/dev/null &
for __i in $(seq 100); do grep -q '^KESTLINK_PORT_DIR=' "$KESTRIX_DOCS_LOGS/reader.out" && break; sleep 0.1; done
export "$(head -n 1 "$KESTRIX_DOCS_LOGS/reader.out")"
"""


def session_script(steps, installed, reader):
    """A bash script that runs the (number, command, proof) steps in order,
    writing "NUMBER STATUS" for each to descriptor 3."""
    out = ["set +e", 'exec 3>"$KESTRIX_DOCS_LOGS/status"']
    if installed:
        out.append('export PATH="$KESTRIX_DOCS_TOOLS:$PATH"')
    if reader:
        out.append(READER_PRELUDE)
    for number, command, proof in steps:
        log = f'"$KESTRIX_DOCS_LOGS/{number}.log"'
        if isinstance(proof, Lists):
            out.append(f"{{ {command} -N\n}} </dev/null >{log} 2>&1; echo \"{number} $?\" >&3")
        elif proof.serves:
            out.append(f"""( {command}
) </dev/null >{log} 2>&1 &
__p=$!; __s=1
for __i in $(seq 100); do
  grep -q '^KESTLINK_PORT_DIR=' {log} && {{ __s=0; break; }}
  kill -0 $__p 2>/dev/null || break
  sleep 0.1
done
sleep 0.5; kill -0 $__p 2>/dev/null || __s=1
kill $__p 2>/dev/null; wait $__p 2>/dev/null
echo "{number} $__s" >&3""")
        else:
            out.append(f"{{ {command}\n}} </dev/null >{log} 2>&1; echo \"{number} $?\" >&3")
    # What a block left running (a virtual reader it started) ends with it.
    out.append('kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; exit 0')
    return "\n".join(out) + "\n"


def run_session(checkout, steps, env, installed, reader, timeout=900):
    logs = pathlib.Path(tempfile.mkdtemp(dir=checkout.root / "tmp", prefix="session."))
    for _, _, proof in steps:
        for name, content in getattr(proof, "files", {}).items():
            (checkout.root / name).write_bytes(content)
    script = session_script(steps, installed, reader)
    env = dict(env, KESTRIX_DOCS_LOGS=str(logs))
    try:
        subprocess.run(["bash", "-c", script], cwd=checkout.root, env=env, timeout=timeout,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        pass
    statuses = {}
    status_file = logs / "status"
    if status_file.exists():
        for line in status_file.read_text().splitlines():
            number, status = line.split()
            statuses[int(number)] = int(status)
    outputs = {n: (logs / f"{n}.log").read_text(errors="replace") if (logs / f"{n}.log").exists() else ""
               for n, _, _ in steps}
    return statuses, outputs


def listed(output):
    return re.findall(r"^\s*Test\s+#\d+: (\S+)$", output, re.M)


def runs_wine(members):
    return any("wine" in o.command.lower() and isinstance(p, Run) for _, o, p in members)


def main():
    source, build = (pathlib.Path(a).resolve() for a in sys.argv[1:3])
    wine_half = "--wine" in sys.argv[3:]
    found = doc_commands.occurrences(source)
    ok = True

    if not wine_half:
        unknown = [o for o in found if o.key() not in PROOFS]
        for o in unknown:
            ok = fail(f"{o.at()} shows `{o.command}`, which no test runs: run it here or name its test in "
                      f"docs/tests/docs_commands_test.py")
        shown = {o.key() for o in found}
        for key in PROOFS:
            if key not in shown:
                ok = fail(f"`{key}` is in the table but no page shows it any more")

    checkout = Checkout(source, build)
    try:
        env = {k: v for k, v in os.environ.items()
               if k not in ("KESTLINK_PORT_DIR", "KESTLINK_TRACE", "DISPLAY", "WAYLAND_DISPLAY")}
        env.update(TMPDIR=str(checkout.root / "tmp"), KESTRIX_DOCS_TOOLS=":".join(program_dirs(build)))
        # Whatever the commands start (Wine above all) ends with this test.
        session = f"kestrix-wine-{os.getpid()}"
        reaper_env = {k: v for k, v in env.items() if k != "KESTRIX_WINE_SESSION"}
        subprocess.run([str(source / "scripts/wine-reaper.sh"), str(os.getpid()), session], env=reaper_env)
        env["KESTRIX_WINE_SESSION"] = session

        all_tests = set(listed(subprocess.run(["ctest", "--test-dir", "build", "-N"], cwd=checkout.root,
                                              capture_output=True, text=True).stdout))

        # The sessions: each block on its own, each inline command on its own.
        sessions = {}
        for number, o in enumerate(found):
            proof = PROOFS.get(o.key())
            if proof is None:
                continue
            if o.where == "block":
                sessions.setdefault((o.page, o.section()), []).append((number, o, proof))
            else:
                sessions[(o.page, "inline", number)] = [(number, o, proof)]

        for key, members in sessions.items():
            if runs_wine(members) != wine_half:
                if not wine_half:
                    print(f"left to the run with --wine: {members[0][1].page}, {members[0][1].section()}")
                continue
            inline = key[1] == "inline"
            steps = []
            for number, o, proof in members:
                if isinstance(proof, (Run, Lists)):
                    needs = getattr(proof, "needs", "")
                    if needs and not (checkout.root / needs).exists():
                        print(f"not run {o.at()} `{o.command}`: {needs} is not made here (scripts/fuzz.sh makes it)")
                        continue
                    steps.append((number, proof.instead or doc_commands.without_comment(o.command), proof))
            statuses, outputs = ({}, {})
            if steps:
                installed = inline or members[0][1].page.endswith(".1")
                statuses, outputs = run_session(checkout, steps, env, installed, reader=inline)
            for number, o, proof in members:
                ok = judge(o, proof, number, statuses, outputs, all_tests, source) and ok
    finally:
        checkout.remove()
    print("every command the pages show is accounted for" if ok else "some commands the pages show failed")
    return 0 if ok else 1


def judge(o, proof, number, statuses, outputs, all_tests, source):
    what = f"{o.at()} `{o.command}`"
    if isinstance(proof, Run):
        if proof.needs and number not in statuses and number not in outputs:
            return True
        status = statuses.get(number)
        if status != proof.status:
            return fail(f"{what} ended with status {status}, not {proof.status}:\n{outputs.get(number, '')[-2000:]}")
        print(f"ok   {what}: run here{' (serves until stopped)' if proof.serves else ''}, status {status}")
        return True
    if isinstance(proof, Lists):
        names = listed(outputs.get(number, ""))
        if statuses.get(number) != 0 or not names:
            return fail(f"{what} selects no tests (status {statuses.get(number)}):\n{outputs.get(number, '')[-2000:]}")
        wrong = [n for n in names if not re.fullmatch(proof.names, n)]
        if wrong:
            return fail(f"{what} also selects {', '.join(wrong)}")
        print(f"ok   {what}: selects {len(names)} tests")
        return True
    if isinstance(proof, Test):
        if proof.name not in all_tests:
            return fail(f"{what} is said to be run by the test {proof.name}, which this build does not have")
        print(f"ok   {what}: run by the test {proof.name}")
        return True
    if isinstance(proof, TestCommand):
        if proof.fragment not in (source / proof.script).read_text():
            return fail(f"{what} is said to be run by {proof.script}, which has no `{proof.fragment}`")
        print(f"ok   {what}: run by {proof.script}")
        return True
    if isinstance(proof, Reader):
        if "real reader" not in o.context.lower():
            return fail(f"{what} needs a real reader, and its page does not say so next to it")
        print(f"ok   {what}: needs a real reader, as its page says")
        return True
    print(f"ok   {what}: named only ({proof.why})")
    return True


if __name__ == "__main__":
    sys.exit(main())
