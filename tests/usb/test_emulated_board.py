# The USB driver through the real libusb-1.0 against an emulated board: umockdev's testbed
# shows the board in sysfs and hands every usbfs ioctl libusb issues to the board model below.
# The built xt4830ctl runs with real boards (XT4830_VIRTUAL_BOARD unset) from a program
# directory of its own that holds a firmware image for a real board. Run under
# umockdev-wrapper.
import json, os, shutil, struct, subprocess, threading  # noqa: E401

import gi
import pytest

gi.require_version("UMockdev", "1.0")
from gi.repository import UMockdev  # noqa: E402

PROGRAM_DIR = os.environ["XT4830_PROGRAM_DIR"]
IMAGE = os.path.join(os.path.dirname(__file__), "BoardImage.hex")

# usbfs ioctls (linux/usbdevice_fs.h, x86-64) and the errors the board gives.
GET_CAPABILITIES, CLAIM, RELEASE = 0x8004551A, 0x8004550F, 0x80045510
SUBMIT, REAP, REAP_NDELAY, DISCARD = 0x8038550A, 0x4008550C, 0x4008550D, 0x550B
EAGAIN, EBUSY, ENODEV, EPIPE = 11, 16, 19, 32
URB_SIZE = 56
LOADER, RUNNING = "3148", "3048"  # product 0x4831, 0x4830 as the descriptor holds them
SERIAL = "XT-0042"


# Device (vendor 0x1209, serial number string 3), one configuration, one interface.
def descriptors(product):
    return ("12010002ffffff400912" + product + "0001000003010902120001010080320904000000"
            "ffffff00")


def string_descriptor(value):
    if value == 0x0300:
        return bytes([4, 3, 0x09, 0x04])  # English (US)
    text = SERIAL.encode("utf-16-le")
    return bytes([2 + len(text), 3]) + text


# The evaluation board at one port of bus 1: its microcontroller's loader takes RAM writes
# (request 0xA0) and, when its CPU starts, the board leaves the bus and comes back running its
# firmware at the same port with the next address.
class Board:

    def __init__(self, testbed, port=1, address=2):
        self.testbed, self.port, self.address = testbed, port, address
        self.ram = {}
        self.requests = []  # the vendor requests after the load: (code, value, index)
        self.failing = set()  # request codes the board stalls
        self.vanish_at = None  # a request code at which the board leaves the bus
        self.held = False  # another program has claimed its interface
        self.start_status = 0  # of the CPU start's URB: it may leave before acknowledging it
        self.code = 0x8000  # the DAC code written last; the ADC reads it as an ideal output
        self.flying = {}  # the URBs submitted and not yet reaped, by the open file they came on
        self.lock = threading.Lock()
        self.handler = UMockdev.IoctlBase()
        self.handler.connect("handle-ioctl", self.handle)
        self.plug(LOADER)

    def plug(self, product):
        node = f"bus/usb/001/{self.address:03d}"
        assert self.testbed.attach_ioctl("/dev/" + node, self.handler)
        self.testbed.add_from_string(
            f"P: /devices/usb1/1-{self.port}\nN: {node}\nE: SUBSYSTEM=usb\n"
            f"E: DEVTYPE=usb_device\nE: DEVNAME=/dev/{node}\nE: BUSNUM=001\n"
            f"E: DEVNUM={self.address:03d}\nA: busnum=1\\n\nA: devnum={self.address}\\n\n"
            f"A: speed=480\\n\nA: bConfigurationValue=1\\n\nH: descriptors="
            f"{descriptors(product)}\n")

    def unplug(self):
        self.testbed.remove_device(f"/sys/devices/usb1/1-{self.port}")

    def restart(self):
        self.unplug()
        self.address += 1
        self.plug(RUNNING)

    def handle(self, _handler, client):
        with self.lock:
            return self.answer(client, client.get_request(), client.get_arg())

    def answer(self, client, request, arg):
        # Resolved data is written back to the program when the call completes: each piece
        # stays referenced until then.
        if request == GET_CAPABILITIES:
            capabilities = arg.resolve(0, 4)
            capabilities.update(0, struct.pack("<I", 0))
        elif request == CLAIM and self.held:
            client.complete(-1, EBUSY)
            return True
        elif request == SUBMIT:
            return self.submit(client, arg)
        elif request in (REAP, REAP_NDELAY):
            return self.reap(client, arg)
        elif request not in (CLAIM, RELEASE, DISCARD):
            return False
        client.complete(0, 0)
        return True

    def submit(self, client, arg):
        # The URB and its buffer are kept, resolved, until it is reaped.
        urb = arg.resolve(0, URB_SIZE)
        length = struct.unpack_from("<i", urb.retrieve(), 24)[0]
        buffer = urb.resolve(16, length)
        request_type, code, value, index = struct.unpack_from("<BBHH", buffer.retrieve())
        if self.vanish_at == code:
            self.unplug()
            client.complete(-1, ENODEV)
            return True
        self.flying.setdefault(client, []).append((urb, buffer))
        client.complete(0, 0)
        return True

    def reap(self, client, arg):
        if not self.flying.get(client):
            client.complete(-1, EAGAIN)
            return True
        urb, buffer = self.flying[client].pop(0)
        data = buffer.retrieve()
        request_type, code, value, index, length = struct.unpack_from("<BBHHH", data)
        status, moved, reply = self.carry_out(request_type, code, value, index, data[8:8 + length])
        if reply:
            buffer.update(8, reply)
        urb.update(4, struct.pack("<i", status))
        urb.update(28, struct.pack("<i", moved))
        pointer = arg.resolve(0, 8)
        pointer.set_ptr(0, urb)
        client.complete(0, 0)
        return True

    # The URB's status, the bytes moved and the data for an IN request.
    def carry_out(self, request_type, code, value, index, data):
        if code == 0x06 and request_type == 0x80:  # GET_DESCRIPTOR, a string
            reply = string_descriptor(value)[:len(data)]
            return 0, len(reply), reply
        if code == 0xA0:  # the loader's RAM write
            for offset, byte in enumerate(data):
                self.ram[value + offset] = byte
            if value == 0xE600 and data == b"\0":  # the CPU starts
                threading.Timer(0.02, self.restart).start()
                return self.start_status, 0 if self.start_status else len(data), b""
            return 0, len(data), b""
        if code in self.failing:
            return -EPIPE, 0, b""
        self.requests.append((code, value, index))
        if code == 0xDE:
            self.code = index
        reply = bytes([self.code >> 12, (self.code >> 4) & 0xFF, 0])[:len(data)]
        reply = reply if request_type & 0x80 else b""
        return 0, len(data), reply


@pytest.fixture
def testbed():
    return UMockdev.Testbed.new()


# A program directory like the installed one, with a real board's image.
@pytest.fixture
def program(tmp_path):
    os.makedirs(tmp_path / "usb-drivers")
    for name in ("xt4830ctl", "libBoardIo.so", "usb-drivers/libHBK_CYUSB_USB4.so"):
        shutil.copy(os.path.join(PROGRAM_DIR, name), tmp_path / name)
    shutil.copy(IMAGE, tmp_path / "XT4830.hex")
    return tmp_path


def run(testbed, program, *args):
    env = {k: v for k, v in os.environ.items() if k != "XT4830_VIRTUAL_BOARD"}
    env["UMOCKDEV_DIR"] = testbed.get_root_dir()  # set by the testbed below Python's view
    return subprocess.run([str(program / "xt4830ctl"), *args], env=env, capture_output=True,
                          text=True, timeout=30)


@pytest.mark.parametrize("args, start_status", [((), 0), (("--version2",), -ENODEV)])
def test_load_restart_and_requests_through_libusb(testbed, program, args, start_status):
    board = Board(testbed)
    board.start_status = start_status
    listed = run(testbed, program, *args, "list")
    assert listed.stdout == f"place  state  serial\n1-1  loader  {SERIAL}\n"
    read = run(testbed, program, *args, "--csv", "read", "A")
    assert read.returncode == 0, read.stderr
    assert read.stdout.splitlines()[-1].endswith(",1,2048,1.500000")
    image = {0x10 * r + i: 0x10 * r + i for r in range(3) for i in range(16)}  # BoardImage.hex
    assert board.ram == {0xE600: 0, **image}, "the image written, the CPU started"
    assert board.address == 3, "back at its port with a new address"
    assert board.requests == [(0xDF, 0x9801, 0), (0xDA, 0, 0)]
    assert run(testbed, program, *args, "list").stdout.endswith(f"1-1  running  {SERIAL}\n")


def test_the_board_chosen_of_two(testbed, program):
    first, second = Board(testbed, port=1, address=2), Board(testbed, port=2, address=5)
    assert run(testbed, program, "--board", "1-2", "pin", "clr", "high").returncode == 0
    assert (first.requests, second.requests) == ([], [(0xE1, 0, 0)])
    assert (first.address, second.address) == (2, 6)


@pytest.mark.parametrize("case, status, says", [
    ("refused", 1, "xt4830ctl: request 0xE1 (value 0x0000, index 0x0000) failed"),
    ("vanishes", 1, "xt4830ctl: request 0xE1 (value 0x0000, index 0x0000) failed"),
    ("held", 3, "xt4830ctl: the board at 1-1 is in use by another program"),
    ("virtual image", 3, "is the virtual board's image, not firmware for a real board: put "
                         "the board maker's image XT4830.hex there"),
    ("none", 3, "xt4830ctl: no XT4830R evaluation board on USB\n"),
])
def test_failures_are_told_and_nothing_is_loaded_where_it_must_not_be(
        testbed, program, case, status, says):
    board = Board(testbed)
    board.failing = {0xE1} if case == "refused" else set()
    board.vanish_at = 0xE1 if case == "vanishes" else None
    board.held = case == "held"
    if case == "virtual image":
        shutil.copy(os.path.join(PROGRAM_DIR, "XT4830.hex"), program / "XT4830.hex")
    if case == "none":
        board.unplug()
    result = run(testbed, program, "pin", "clr", "high")
    assert result.returncode == status
    assert says in result.stderr
    loads = case not in ("held", "virtual image", "none")
    assert bool(board.ram) == loads


def test_results_name_the_real_board_by_its_serial_number_and_place(testbed, program):
    Board(testbed)
    result = run(testbed, program, "characterise", "A", "--stride", "0x2000", "--samples", "2",
                 "--json")
    assert result.returncode == 0, result.stderr
    assert json.loads(result.stdout)["provenance"]["board"] == f"board serial {SERIAL} at 1-1"
