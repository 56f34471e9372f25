"""The XT4830R evaluation board as a PyMeasure instrument, over `xt4830ctl serve`.

    from xt4830r_instrument import XT4830R
    board = XT4830R("TCPIP::127.0.0.1::5025::SOCKET")
    board.code_a = 0x8000            # "Write to and Update DAC channel n" on DAC A
    print(board.measure_voltage(1))  # input A through the board's ADC, in volts
"""
from pymeasure.instruments import Instrument
from pymeasure.instruments.validators import strict_discrete_set, strict_range

CHANNELS = "abcd"


def _code(channel):
    return Instrument.control(
        f"SOUR{channel}:CODE?", f"SOUR{channel}:CODE %d",
        f"The code last written to DAC {CHANNELS[channel - 1].upper()} (0 to 65535); setting "
        "it writes and updates that channel.",
        validator=strict_range, values=(0, 0xFFFF), cast=int)


def _voltage(channel):
    return Instrument.control(
        f"SOUR{channel}:VOLT?", f"SOUR{channel}:VOLT %.9g",
        f"DAC {CHANNELS[channel - 1].upper()}'s output in volts against `dac_reference`, "
        "as the nearest code.", cast=float)


class XT4830R(Instrument):
    """The four DAC outputs, the board's eight-input ADC and the chip's registers."""

    dac_reference = Instrument.control(
        "SOUR:REF:VOLT?", "SOUR:REF:VOLT %.9g",
        "The DAC reference in volts that voltages are converted against (default 3).",
        validator=strict_range, values=(1e-6, 1e6), cast=float)
    adc_reference = Instrument.control(
        "SENS:VOLT:REF?", "SENS:VOLT:REF %.9g",
        "The board ADC's reference in volts (default 3).",
        validator=strict_range, values=(1e-6, 1e6), cast=float)
    internal_reference = Instrument.setting(
        "SOUR:REF:INT %s", "The chip's internal reference, True for on.",
        validator=strict_discrete_set, values={True: "ON", False: "OFF"}, map_values=True)

    code_a, code_b, code_c, code_d = (_code(n) for n in range(1, 5))
    voltage_a, voltage_b, voltage_c, voltage_d = (_voltage(n) for n in range(1, 5))

    def __init__(self, resource, **kwargs):
        kwargs.setdefault("visa_library", "@py")
        super().__init__(resource, "XT4830R evaluation board", read_termination="\n",
                         write_termination="\n", **kwargs)

    def measure_voltage(self, input_number):
        """Input 1 to 8 (A to H) through the board's ADC, in volts."""
        return float(self.ask(f"MEAS:VOLT? (@{input_number})"))

    def sweep(self, channel, start, stop, step):
        """Writes each code of the range to DAC channel 1 to 4 and reads it back: a list of
        (code, ADC count) pairs."""
        values = self.values(f"SOUR{channel}:SWE? {start},{stop},{step}", cast=int)
        return list(zip(values[::2], values[1::2]))

    def self_test(self):
        """The board self-test: True on PASS."""
        return self.ask("*TST?").strip() == "0"

    def errors(self):
        """Every error in the queue, oldest first, as (code, text)."""
        found = []
        while True:
            code, text = self.ask("SYST:ERR?").split(",", 1)
            if int(code) == 0:
                return found
            found.append((int(code), text.strip('"')))
