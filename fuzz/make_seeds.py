#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/, one folder per target. Run by hand
when the seeds change; the output is committed."""
import math
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")

DEFAULTS = (b"[ToviraWatch]\nShowbutton=1\nShowDigital=1\nShowAnalog=1\nLapType=1\nAnalogScale=1\n"
            b"AnalogColor=C80000\nWindowForceFront=0\nBehaviorMode=0\nPlaySound=0\n")

INI_FILES = {
    "defaults": DEFAULTS,
    "crlf": DEFAULTS.replace(b"\n", b"\r\n"),
    "bom": b"\xef\xbb\xbf" + DEFAULTS,
    "no_final_break": DEFAULTS.rstrip(b"\n"),
    "comments_and_blanks": b"; saved by hand\n\n  [ toviraWATCH ]  ; note\n\t showbutton \t= 2.5 \n;LapType=3\nLapType=  -4\n",
    "duplicates": b"[Other]\nLapType=9\n[ToviraWatch]\nLapType=1\nLapType=2\n[ToviraWatch]\nLapType=3\n",
    "nul_bytes": b"[ToviraWatch]\nAnalogColor=FF\x0000\nShow\x00button=1\n",
    "broken_header": b"[ToviraWatch\nShowbutton=1\n[ToviraWatch]\nPlaySound\n=1\n",
    "empty_values": b"[ToviraWatch]\nShowbutton=\nAnalogColor=\n",
    "lone_cr": b"[ToviraWatch]\rShowbutton=1\r\nPlaySound=1\r",
    "long_value": b"[ToviraWatch]\nAnalogColor=" + b"AB" * 200 + b"\nPlaySound=1\n",
    "empty": b"",
    "quotes_cr_only": b"[ToviraWatch]\rShowbutton=\"1\"\rLapType='2'\rAnalogColor=\"" + b"C" * 254 + b"\"\rPlaySound=\"\r",
    "closing_brackets": b"[ToviraWatch]]\nShowbutton=1\n[ToviraWatch] x ]\nLapType=2\n[ToviraWatch]\nPlaySound\n",
}


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def ini_seeds():
    # The last byte chooses the names (see ini_input.h): 4 * k picks settings key k.
    for index, (name, file) in enumerate(INI_FILES.items()):
        choice = bytes([4 * (index % 9)])
        write("fuzz_ini_read", name, file + choice)
        write("fuzz_ini_roundtrip", name, b"C80000\\|" + file + choice)
    write("fuzz_ini_read", "arbitrary_names", b"Other\\|LapType\\|" + INI_FILES["duplicates"] + bytes([3]))
    write("fuzz_ini_roundtrip", "new_section", b"Other\\|Key\\|  spaced value  \\|" + DEFAULTS + bytes([3]))


def integer_seeds():
    for index, text in enumerate([b"1", b" 2.5 ", b"3.5", b"-0.5", b"+.5", b"7.", b"0003.500000001",
                                  b"-2147483648", b"2147483647", b"2147483647.5", b"-2147483648.5",
                                  b"99999999999", b"ERROR", b"", b"\t-12\t", b"1e3", b"0x10", b"1,000"]):
        write("fuzz_setting_integer", f"seed{index:02}", text)


def color_seeds():
    for index, text in enumerate([b"C80000", b"FF0000", b"ff8000", b"FF00", b"", b"1G2H3I", b"ERROR",
                                  "ｶﾞ12345".encode(), b"\xff\xfe\xfd\xfc\xfb\xfa", b"0123456789abcdef"]):
        write("fuzz_hand_color", f"seed{index:02}", text)


def wave(format_tag, channels, rate, bits, frames, extra_fmt=b"", data=None, riff_size=None, data_size=None,
         before=b""):
    block = channels * bits // 8 if bits >= 8 else channels
    fmt = struct.pack("<HHIIHH", format_tag, channels, rate, rate * block, block, bits) + extra_fmt
    if data is None:
        samples = [int(32767 * math.sin(i / 5)) for i in range(frames * channels)]
        if bits == 16:
            data = struct.pack(f"<{len(samples)}h", *samples)
        elif bits == 8:
            data = bytes((s >> 8) + 128 for s in samples)
        elif bits == 32 and format_tag == 3:
            data = struct.pack(f"<{len(samples)}f", *(s / 32768 for s in samples))
        else:
            data = bytes(frames * block)
    declared = len(data) if data_size is None else data_size
    body = b"WAVE" + before + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", declared) + data
    if len(data) % 2:
        body += b"\0"
    return b"RIFF" + struct.pack("<I", riff_size if riff_size is not None else len(body)) + body


def sound_seeds():
    seeds = {
        "pcm16_mono_48k": wave(1, 1, 48000, 16, 200),
        "pcm16_stereo_44k": wave(1, 2, 44100, 16, 150),
        "pcm8_mono_8k": wave(1, 1, 8000, 8, 301),
        "pcm8_mono_4_bytes": wave(1, 1, 8000, 8, 4),
        "float32_mono_22k": wave(3, 1, 22050, 32, 100),
        "alaw_mono": wave(6, 1, 8000, 8, 100),
        "mulaw_mono": wave(7, 1, 8000, 8, 100),
        "ima_adpcm": wave(0x11, 1, 8000, 4, 0, extra_fmt=struct.pack("<HH", 2, 505), data=bytes(256)),
        "ms_adpcm": wave(2, 1, 8000, 4, 0, extra_fmt=struct.pack("<HHH", 32, 500, 7) + bytes(28), data=bytes(256)),
        "huge_rate": wave(1, 1, 4000000, 16, 50),
        "wrong_riff_size": wave(1, 1, 48000, 16, 50, riff_size=0xFFFFFFF0),
        "float32_with_extension_size": wave(3, 2, 48000, 32, 100, extra_fmt=struct.pack("<H", 0)),
        "extensible_pcm24": wave(0xFFFE, 2, 48000, 24, 100, extra_fmt=struct.pack("<HHI", 22, 24, 3) + struct.pack(
            "<H", 1) + bytes.fromhex("000000001000800000aa00389b71")),
        "odd_list_before_fmt": wave(1, 1, 48000, 16, 100, before=b"LIST" + struct.pack("<I", 3) + b"abc\0"),
        "data_claims_64_mib": wave(1, 1, 48000, 16, 500, data_size=64 << 20),
        "chunk_claims_4_gib": wave(1, 1, 48000, 16, 100, before=b"JUNK" + struct.pack("<I", 0xFFFFFFFF) + bytes(4)),
    }
    seeds["truncated"] = seeds["pcm16_mono_48k"][:100]
    seeds["header_only"] = seeds["pcm16_mono_48k"][:44]
    seeds["cut_inside_fmt"] = seeds["pcm16_mono_48k"][:30]
    seeds["garbage"] = bytes((i * 97 + 13) % 256 for i in range(512))
    for name, data in seeds.items():
        write("fuzz_tick_sound", name, data)


if __name__ == "__main__":
    shutil.rmtree(CORPUS, ignore_errors=True)
    ini_seeds()
    integer_seeds()
    color_seeds()
    sound_seeds()
