#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The library from Python's ctypes, against the virtual reader program."""
import ctypes
import os
import subprocess
import sys
import unittest

LIBRARY, KESTSIM = sys.argv[1], sys.argv[2]


class TagRecord(ctypes.Structure):
    _fields_ = [("cardNumber", ctypes.c_char * 16), ("year", ctypes.c_char * 4),
                ("month", ctypes.c_char * 2), ("day", ctypes.c_char * 2),
                ("hour", ctypes.c_char * 2), ("minute", ctypes.c_char * 2),
                ("second", ctypes.c_char * 2), ("flag", ctypes.c_uint8)]


class DeviceTime(ctypes.Structure):
    _fields_ = [(name, ctypes.c_uint8) for name in
                ("century", "year", "month", "day", "hour", "minute", "second")]


def load():
    lib = ctypes.CDLL(LIBRARY)
    for name in ("KX_Connect", "KX_Close", "KX_DeleteAllData", "KX_DeleteCmpData"):
        getattr(lib, name).argtypes = []
    lib.KX_ReadData.argtypes = [ctypes.c_uint16, ctypes.POINTER(TagRecord)]
    lib.KX_QueryNumber.argtypes = [ctypes.POINTER(ctypes.c_uint16)]
    lib.KX_SetTime.argtypes = [ctypes.POINTER(DeviceTime)]
    lib.KX_GetKey.argtypes = [ctypes.c_char_p]
    lib.KX_SetKey.argtypes = [ctypes.c_char_p]
    for name in ("KX_Connect", "KX_Close", "KX_ReadData", "KX_QueryNumber", "KX_SetTime",
                 "KX_GetKey", "KX_SetKey"):
        getattr(lib, name).restype = ctypes.c_int32
    return lib


class FromPython(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sim = subprocess.Popen([KESTSIM, "--records", "12", "--port", "4"],
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = cls.sim.stdout.readline().strip()
        key, _, value = line.partition("=")
        assert key == "KESTLINK_PORT_DIR", line
        os.environ["KESTLINK_PORT_DIR"] = value
        cls.lib = load()

    @classmethod
    def tearDownClass(cls):
        cls.lib.KX_Close()
        cls.sim.terminate()
        cls.sim.wait(timeout=10)

    def test_structure_sizes_match_the_header(self):
        self.assertEqual(ctypes.sizeof(TagRecord), 31)
        self.assertEqual(ctypes.sizeof(DeviceTime), 7)

    def test_connect_count_read_and_key(self):
        lib = self.lib
        self.assertEqual(lib.KX_Connect(), 1)
        count = ctypes.c_uint16(0)
        self.assertEqual(lib.KX_QueryNumber(ctypes.byref(count)), 1)
        self.assertEqual(count.value, 12)
        record = TagRecord()
        self.assertEqual(lib.KX_ReadData(11, ctypes.byref(record)), 1)
        self.assertEqual(len(record.cardNumber), 16)
        self.assertTrue(record.year.decode().isdigit())
        self.assertEqual(lib.KX_ReadData(12, ctypes.byref(record)), 0)
        clock = DeviceTime(0x20, 26, 12, 10, 9, 30, 0)
        self.assertEqual(lib.KX_SetTime(ctypes.byref(clock)), 1)
        key = b"fifteen bytes!!"
        self.assertEqual(lib.KX_SetKey(key), 1)
        back = ctypes.create_string_buffer(15)
        self.assertEqual(lib.KX_GetKey(back), 1)
        self.assertEqual(back.raw, key)
        self.assertEqual(lib.KX_Close(), 1)
        self.assertEqual(lib.KX_QueryNumber(ctypes.byref(count)), 0)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
