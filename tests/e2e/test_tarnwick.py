#!/usr/bin/env python3
"""End-to-end tests of the built tarnwick executable.

They run the program as a user does: with arguments, a scripted console input
(or a closed one), real files in a scratch folder, and its exit status. The
same table of cases runs against the native build and, under Wine, against
the Windows build: there, paths are spelled as Windows spells them and the
console's line ends are CR LF.

    test_tarnwick.py --exe build/default/tarnwick
    test_tarnwick.py --exe build/windows/tarnwick.exe --wine wine
"""

import argparse
import os
import queue
import resource
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import unittest
from dataclasses import dataclass, field
from pathlib import Path

HERE = Path(__file__).resolve().parent
TIMEOUT = 60  # seconds; a run that takes longer is taken to hang

BANNER = "tarnwick - Convert a Z-code story file into a Varlowe Palm database.\n"
USAGE = ('\nUsage: tarnwick filename.z filename.pdb "Story Name"\n'
         "Windows users can drag a Z-code file on top of this executable.\n")
QUESTION = "\nPlease name this story (max 31 chars): "
PAUSE = "\nPress ENTER: "
OPEN_INPUT_FAILED = "\nError opening input file.\n"
OPEN_OUTPUT_FAILED = "\nError opening output file.\n"
READ_INPUT_FAILED = "\nError reading input file.\n"
TOO_LARGE = "\nError: input file is larger than 268431360 bytes.\n"
OUTPUT_IS_INPUT = "\nError: output file is the input file.\n"
NO_NAME = "\nError: input ended before a story name was given.\n"
WRITE_FAILED = "\nError writing output file.\n"

LARGEST_STORY = 65535 * 4096


def wrote(count):
    return f"\nWrote {count} bytes to output file.\n"


def output_file(path):
    return f"\nOutput file: {path}\n"


def expected_database(name: bytes, story: bytes) -> bytes:
    """The database for a story, built from the format's description alone."""
    records = (len(story) + 4095) // 4096
    field_ = name.split(b"\0")[0][:31].ljust(32, b"\0")
    header = field_ + struct.pack(
        ">HHIIIIII4s4sIIH", 0, 1, 0x34AC829F, 0x34AC829F, 0, 0, 0, 0,
        b"ZCOD", b"Vrlw", 0, 0, records)
    first = 78 + 8 * records
    entries = b"".join(struct.pack(">II", first + 4096 * i, 0x60000000)
                       for i in range(records))
    return header + entries + story


def story_bytes(size, seed=1):
    return bytes((i * 7 + seed) % 256 for i in range(size))


NIGHT = story_bytes(9000)  # three records, the last one partial


class Platform:
    """How to start the program and how its paths and line ends look."""

    def __init__(self, exe, wine):
        self.exe = exe
        self.wine = wine

    @property
    def windows(self):
        return self.wine is not None

    def command(self, args):
        prefix = [self.wine] if self.windows else []
        return prefix + [self.exe] + args

    def path(self, path: Path) -> str:
        """A path as a user of the platform types it (Wine maps Z: to /)."""
        if self.windows:
            return "Z:" + str(path).replace("/", "\\")
        return str(path)

    def narrow(self, text: str) -> bytes:
        """Text as the program's narrow command line spells it: UTF-8 here, the
        ANSI code page (1252 under Wine's default locale) on Windows, where a
        character it cannot spell becomes a question mark."""
        if self.windows:
            return text.encode("cp1252", errors="replace")
        return text.encode("utf-8")

    def console(self, text: str) -> bytes:
        """What the program prints: the C runtime of Windows ends lines with CR LF."""
        if self.windows:
            text = text.replace("\n", "\r\n")
        return self.narrow(text)


PLATFORM: Platform


@dataclass
class Database:
    """A database expected for a story; a name given as text is spelled in the
    narrow bytes of the platform's command line."""
    name: str | bytes
    story: bytes

    def bytes(self):
        name = PLATFORM.narrow(self.name) if isinstance(self.name, str) else self.name
        return expected_database(name, self.story)


@dataclass
class Case:
    label: str
    args: list
    stdin: bytes | None  # None: the console input is closed
    stdout: str
    status: int
    files: dict = field(default_factory=lambda: {"night.z5": NIGHT})
    # File name: expected bytes or Database, or None for "must not exist".
    results: dict = field(default_factory=dict)


# {dir} is the scratch folder as the platform spells it, {sep} its separator.
CASES = [
    Case("no argument shows the usage and pauses", [], b"\n",
         BANNER + USAGE + PAUSE, 1),
    Case("no argument with the input closed", [], None,
         BANNER + USAGE + PAUSE, 1),
    Case("a dropped file derives the database, asks and pauses",
         ["{dir}{sep}night.z5"], b"  Night Garden  \n\n",
         BANNER + output_file("{dir}{sep}night.pdb") + QUESTION + wrote(9102) + PAUSE, 0,
         results={"night.pdb": Database(b"Night Garden", NIGHT)}),
    Case("answers typed with CR LF give the same name",
         ["{dir}{sep}night.z5"], b"\r\n  Night Garden  \r\n\r\n",
         BANNER + output_file("{dir}{sep}night.pdb") + QUESTION * 2 + wrote(9102) + PAUSE, 0,
         results={"night.pdb": Database(b"Night Garden", NIGHT)}),
    Case("the pause ends with the input", ["night.z5"], b"Night",
         BANNER + output_file("night.pdb") + QUESTION + wrote(9102) + PAUSE, 0,
         results={"night.pdb": Database(b"Night", NIGHT)}),
    Case("two arguments ask without pausing", ["night.z5", "out.pdb"], b"\n   \nNight\n",
         BANNER + QUESTION * 3 + wrote(9102), 0,
         results={"out.pdb": Database(b"Night", NIGHT)}),
    Case("three arguments neither ask nor pause", ["night.z5", "out.pdb", " Night Garden "],
         None, BANNER + wrote(9102), 0,
         results={"out.pdb": Database(b" Night Garden ", NIGHT)}),
    Case("arguments after the third are ignored",
         ["night.z5", "out.pdb", "Night", "more", "and more"], None, BANNER + wrote(9102), 0,
         results={"out.pdb": Database(b"Night", NIGHT), "more": None}),
    Case("a long third argument keeps 31 bytes",
         ["night.z5", "out.pdb", "The Night Garden, Being a Long Tale"], None,
         BANNER + wrote(9102), 0,
         results={"out.pdb": Database(b"The Night Garden, Being a Long Tale", NIGHT)}),
    Case("an empty story", ["empty.z5", "out.pdb", "Empty"], None, BANNER + wrote(78), 0,
         files={"empty.z5": b""}, results={"out.pdb": Database(b"Empty", b"")}),
    Case("an existing database is replaced", ["night.z5", "out.pdb", "Night"], None,
         BANNER + wrote(9102), 0, files={"night.z5": NIGHT, "out.pdb": b"old" * 9000},
         results={"out.pdb": Database(b"Night", NIGHT)}),
    Case("a path the ANSI code page cannot spell", ["{dir}{sep}Истории 故事{sep}ночь.z5"],
         "Ночь\n\n".encode(), BANNER + output_file("{dir}{sep}Истории 故事{sep}ночь.pdb")
         + QUESTION + wrote(9102) + PAUSE, 0, files={"Истории 故事/ночь.z5": NIGHT},
         results={"Истории 故事/ночь.pdb": Database("Ночь".encode(), NIGHT)}),
    Case("a third argument keeps its narrow bytes", ["night.z5", "out.pdb", "Café"], None,
         BANNER + wrote(9102), 0, results={"out.pdb": Database("Café", NIGHT)}),
    Case("a missing story fails before any question", ["none.z5"], b"Night\n\n",
         BANNER + OPEN_INPUT_FAILED, 1, results={"none.pdb": None}),
    Case("a missing story with three arguments", ["none.z5", "out.pdb", "Night"], None,
         BANNER + OPEN_INPUT_FAILED, 1, results={"out.pdb": None}),
    Case("a database in a missing folder fails after the question",
         ["night.z5", "{dir}{sep}missing{sep}out.pdb"], b"Night\n",
         BANNER + QUESTION + OPEN_OUTPUT_FAILED, 1, results={"missing": None}),
    Case("the input ends before a name", ["night.z5", "out.pdb"], None,
         BANNER + QUESTION + NO_NAME, 1, results={"out.pdb": None}),
    Case("a story ending in .pdb is not overwritten", ["story.pdb"], b"Night\n\n",
         BANNER + output_file("story.pdb") + OUTPUT_IS_INPUT, 1,
         files={"story.pdb": NIGHT}, results={"story.pdb": NIGHT}),
    Case("the story spelled another way is not overwritten",
         ["night.z5", "{dir}{sep}.{sep}night.z5", "Night"], None,
         BANNER + OUTPUT_IS_INPUT, 1, results={"night.z5": NIGHT}),
    Case("a folder is no story", ["folder", "out.pdb", "Night"], None,
         BANNER + OPEN_INPUT_FAILED, 1, files={"folder/inside": b""},
         results={"out.pdb": None}),
]


def prepare(folder: Path, files: dict):
    for name, content in files.items():
        path = folder / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content)


def run(args, stdin, cwd):
    """Runs the program to its end; stdin None gives it a closed input."""
    feed = {"input": stdin} if stdin is not None else {"stdin": subprocess.DEVNULL}
    return subprocess.run(PLATFORM.command(args), cwd=cwd, timeout=TIMEOUT,
                          capture_output=True, **feed)


class ScratchFolder(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp(prefix="tarnwick-e2e-"))
        self.addCleanup(shutil.rmtree, self.dir, ignore_errors=True)


def spell(text: str, folder: Path) -> str:
    """Fills in {dir} and {sep} as the platform spells them."""
    sep = "\\" if PLATFORM.windows else "/"
    return text.replace("{dir}", PLATFORM.path(folder)).replace("{sep}", sep)


class Dialogues(ScratchFolder):
    def test_table(self):
        for number, case in enumerate(CASES):
            with self.subTest(case.label):
                folder = self.dir / str(number)
                folder.mkdir()
                prepare(folder, case.files)
                result = run([spell(a, folder) for a in case.args], case.stdin, folder)
                self.assertEqual(
                    (result.stdout, result.returncode, result.stderr),
                    (PLATFORM.console(spell(case.stdout, folder)), case.status, b""))
                for name, content in case.results.items():
                    if content is None:
                        self.assertFalse((folder / name).exists(), name)
                    else:
                        if isinstance(content, Database):
                            content = content.bytes()
                        self.assertEqual((folder / name).read_bytes(), content, name)


class Formats(ScratchFolder):
    def test_a_foreign_reader_reads_the_database_back(self):
        story = story_bytes(3 * 4096 + 517, seed=3)
        prepare(self.dir, {"tale.z8": story})
        result = run(["tale.z8", "tale.pdb", "Tale of Night"], None, self.dir)
        self.assertEqual(result.returncode, 0)
        report = subprocess.run(
            ["perl", str(HERE / "read_database.pl"), str(self.dir / "tale.pdb"),
             str(self.dir / "joined")], capture_output=True, check=True, timeout=TIMEOUT)
        self.assertEqual(report.stdout.decode().splitlines(),
                         ["name=Tale of Night", "type=ZCOD", "creator=Vrlw", "records=4"])
        self.assertEqual((self.dir / "joined").read_bytes(), story)

    def test_the_largest_story_converts_and_one_byte_more_is_refused(self):
        for size, stdout, status in [
                (LARGEST_STORY, BANNER + wrote(78 + 8 * 65535 + LARGEST_STORY), 0),
                (LARGEST_STORY + 1, BANNER + TOO_LARGE, 1)]:
            with self.subTest(size=size):
                story = self.dir / "big.z5"
                with open(story, "wb") as f:
                    f.truncate(size)  # sparse: costs no disk
                result = run(["big.z5", "big.pdb", "Big"], None, self.dir)
                self.assertEqual(result.stdout, PLATFORM.console(stdout))
                self.assertEqual(result.returncode, status)
                database = self.dir / "big.pdb"
                if status == 0:
                    self.assertEqual(database.stat().st_size, 78 + 8 * 65535 + size)
                    with open(database, "rb") as f:
                        head = f.read(78 + 8 * 65535 + 16)
                    self.assertEqual(head[76:78], b"\xff\xff")
                    self.assertEqual(head[-24:-16], struct.pack(
                        ">II", 78 + 8 * 65535 + 4096 * 65534, 0x60000000))
                    self.assertEqual(head[-16:], bytes(16))
                    database.unlink()
                else:
                    self.assertFalse(database.exists())


class Console(ScratchFolder):
    """Every question is on the screen before the program waits for its answer."""

    def test_questions_are_shown_before_the_program_waits(self):
        prepare(self.dir, {"night.z5": NIGHT})
        process = subprocess.Popen(PLATFORM.command(["night.z5"]), cwd=self.dir,
                                   stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.addCleanup(process.stdout.close)
        self.addCleanup(process.kill)
        chunks = queue.Queue()
        threading.Thread(target=lambda: [chunks.put(c) for c in iter(
            lambda: os.read(process.stdout.fileno(), 4096), b"")], daemon=True).start()

        def read_until(ending):
            seen = b""
            while not seen.endswith(PLATFORM.console(ending)):
                seen += chunks.get(timeout=TIMEOUT)
            return seen

        read_until(QUESTION)
        process.stdin.write(b"Night\n")
        process.stdin.flush()
        read_until(PAUSE)
        self.assertIsNone(process.poll())  # still waiting for ENTER
        process.stdin.write(b"\n")
        process.stdin.close()
        self.assertEqual(process.wait(timeout=TIMEOUT), 0)


@unittest.skipIf(sys.platform != "linux", "Linux devices")
class LinuxDevices(ScratchFolder):
    def test_a_full_disk_is_reported(self):
        prepare(self.dir, {"night.z5": NIGHT})
        result = run(["night.z5", "/dev/full", "Night"], None, self.dir)
        self.assertEqual(result.stdout, PLATFORM.console(BANNER + WRITE_FAILED))
        self.assertEqual(result.returncode, 1)

    def test_a_failed_write_removes_the_incomplete_database(self):
        # A file size limit makes the disk "full" after 4,096 bytes of a
        # regular file; with SIGXFSZ ignored, the write fails with EFBIG.
        def limit_file_size():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (4096, 4096))

        prepare(self.dir, {"night.z5": NIGHT, "old.pdb": b"an older database"})
        for database in ["new.pdb", "old.pdb"]:
            with self.subTest(database):
                result = subprocess.run(PLATFORM.command(["night.z5", database, "Night"]),
                                        cwd=self.dir, stdin=subprocess.DEVNULL,
                                        capture_output=True, timeout=TIMEOUT,
                                        preexec_fn=limit_file_size)
                self.assertEqual(result.stdout, PLATFORM.console(BANNER + WRITE_FAILED))
                self.assertEqual(result.returncode, 1)
                self.assertFalse((self.dir / database).exists())
        self.assertEqual((self.dir / "night.z5").read_bytes(), NIGHT)

    def test_a_pipe_is_refused_without_waiting_for_a_writer(self):
        os.mkfifo(self.dir / "pipe.z5")
        result = run(["pipe.z5", "out.pdb", "Night"], None, self.dir)
        self.assertEqual(result.stdout, PLATFORM.console(BANNER + READ_INPUT_FAILED))
        self.assertEqual(result.returncode, 1)
        self.assertFalse((self.dir / "out.pdb").exists())

    def test_an_open_pipe_is_refused(self):
        result = subprocess.run(PLATFORM.command(["/dev/stdin", "out.pdb", "Night"]),
                                cwd=self.dir, input=NIGHT, capture_output=True,
                                timeout=TIMEOUT)
        self.assertEqual(result.stdout, PLATFORM.console(BANNER + READ_INPUT_FAILED))
        self.assertEqual(result.returncode, 1)
        self.assertFalse((self.dir / "out.pdb").exists())

    def test_a_hard_link_to_the_story_is_not_overwritten(self):
        prepare(self.dir, {"night.z5": NIGHT})
        os.link(self.dir / "night.z5", self.dir / "link.pdb")
        result = run(["night.z5", "link.pdb", "Night"], None, self.dir)
        self.assertEqual(result.stdout, PLATFORM.console(BANNER + OUTPUT_IS_INPUT))
        self.assertEqual(result.returncode, 1)
        self.assertEqual((self.dir / "night.z5").read_bytes(), NIGHT)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True, help="the tarnwick executable to test")
    parser.add_argument("--wine", help="run the executable with this Wine loader")
    options, rest = parser.parse_known_args()
    global PLATFORM
    PLATFORM = Platform(os.path.abspath(options.exe), options.wine)
    if PLATFORM.windows:
        LinuxDevices.__unittest_skip__ = True
        LinuxDevices.__unittest_skip_why__ = "a Windows executable"
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
