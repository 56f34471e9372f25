"""The SCPI server as a lab script meets it: the built xt4830ctl serve on the virtual board,
driven through pyvisa's own socket backend; the board's words read from its trace."""
import os
import re
import signal
import subprocess

import pytest
import pyvisa

PROGRAM_DIR = os.environ["XT4830_PROGRAM_DIR"]
TOOL = os.path.join(PROGRAM_DIR, "xt4830ctl")


class Server:
    def __init__(self, tmp_path, settings="", args=(), vxi11=False, listen="127.0.0.1:0"):
        self.trace = tmp_path / "board.trace"
        env = dict(os.environ, XT4830_VIRTUAL_BOARD=settings, XT4830_VIRTUAL_TRACE=str(self.trace))
        self.process = subprocess.Popen(
            [TOOL, *args, "serve", "--listen", listen, *([] if vxi11 else ["--no-vxi11"])],
            env=env,
            stderr=subprocess.PIPE, text=True)
        line = self.process.stderr.readline()
        if "warning" in line:
            line = self.process.stderr.readline()
        found = re.search(r"serving SCPI on [\d.]+:(\d+)", line)
        assert found, line
        self.port = int(found.group(1))
        self.resource = f"TCPIP::127.0.0.1::{self.port}::SOCKET"

    def client(self, timeout_ms=20000):
        instrument = pyvisa.ResourceManager("@py").open_resource(
            self.resource, read_termination="\n", write_termination="\n", timeout=timeout_ms)
        return instrument

    def requests(self):
        """The board requests since the firmware load, each as (code, value, index)."""
        found = re.findall(r"code=0x(\w+), value=0x(\w+), index=0x(\w+)", self.trace.read_text())
        return [tuple(int(x, 16) for x in request) for request in found]

    def stop(self, how=signal.SIGTERM):
        self.process.send_signal(how)
        status = self.process.wait(timeout=10)
        self.process.stderr.close()
        return status


@pytest.fixture
def server(tmp_path):
    running = Server(tmp_path)
    yield running
    if running.process.poll() is None:
        running.stop()


@pytest.fixture
def board(server):
    instrument = server.client()
    yield instrument
    instrument.close()
