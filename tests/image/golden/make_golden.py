#!/usr/bin/env python3
"""Writes the golden settings files (*.cfg) and their expected reports (*.txt).

The expected text is computed here from the report's formats with Python's printf-style
operator, apart from the program, so the test compares two independent renderings."""
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))

F1 = ["Mono", "External noise reduction", "Internal A noise reduction",
      "Internal SR noise reduction"]
FMT = ["External", "Nonsync", "SR", "A", "Mono or F1 Key definition"]
NSM = ["Screen channels (L/R)", "Surround channels (LS/RS)",
       "Screen and Surround channels (L/R/LS/RS)", "Matrix Decoded (L/C/R/LS/RS)"]
DAYS = ["FRIDAY", "SATURDAY", "SUNDAY", "MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY"]
MONTHS = ["JANUARY", "FEBRUARY", "MARCH", "APRIL", "MAY", "JUNE", "JULY", "AUGUST",
          "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"]
BANDS = ["40H", "50H", "63H", "80H", "100H", "125H", "160H", "200H", "250H", "315H", "400H",
         "500H", "630H", "800H", "1K", "1.25K", "1.6K", "2K", "2.5K", "3.15K", "4K", "5K",
         "6.3K", "8K", "10K", "12.5K", "16K"]
HEADINGS = ["Current Audio Setup", "Alternate Audio Setup #1", "Alternate Audio Setup #2"]
COLUMNS = [0, 2, 4, 1, 3, 5]  # L C R LS RS SW as block channels
RULE = "=" * 80


def name(table, v):
    return table[v] if v < len(table) else "???"


def vol(b):
    d = 12 - b
    return "       %c%d" % ('-' if d < 0 else ' ', abs(d))


def tone(b):
    d = 10 - b
    m = abs(d)
    return "      %s%c%d" % (" " if m < 10 else "", '-' if d < 0 else ' ', m)


def eq(b):
    d = 12 - b
    m = abs(d)
    sign = ' ' if d == 0 else ('+' if d > 0 else '-')
    return "  %s%c%d.%d" % (" " if m // 2 < 10 else "", sign, m // 2, (m % 2) * 5)


def report(cfg, circuit, theater, screen):
    s = cfg[0:128]
    out = [RULE, "    Configuration File -- Do not edit", RULE,
           "    Circuit Name:  " + circuit, "    Theater Name:  " + theater,
           "    Screen:        " + screen, RULE, "", "System Setup Information:", "-" * 25]
    delay = s[4] * 256 + s[5]
    out.append("Reader Delay Setting           %d.%2.2d" % (delay // 4, (delay % 4) * 25))
    out.append("")
    out.append("F1 key assignment:             %s" % name(F1, s[0]))
    out.append("Disable Matrix:                %s" % ("Yes" if s[1] else "No"))
    out.append("Default format:                %s" % name(FMT, s[30]))
    out.append("Nonsync Mode:                  %s" % name(NSM, s[3]))
    out.append("")
    out.append("Surround delay:                %d0 ms" % s[6])
    out.append("")
    pw = ("%s [F%d-F%d-F%d-F%d]" % ("Enabled", s[11] + 1, s[12] + 1, s[13] + 1, s[14] + 1)
          if s[9] else "Disabled")
    out.append("System password:               %s" % pw)
    out.append("")
    out.append("Nonsync Trim:                  -%d dB" % s[24])
    out.append("")
    out.append("Automation Trim:")
    for label, off in (("Mono    ", 25), ("A       ", 27), ("SR      ", 26),
                       ("External", 28), ("Digital ", 29)):
        out.append("            %s =         -%d dB" % (label, s[off]))
    for n in range(3):
        a = cfg[128 + 224 * n: 128 + 224 * (n + 1)]
        out += ["", "", HEADINGS[n] + " Information:", "-" * 32]
        hour, month = a[0] & 15, a[0] >> 4
        day, dow = a[1] & 31, a[1] >> 5
        minute, pm = a[2] & 63, (a[2] >> 6) & 1
        year = 1900 + a[3] if a[3] >= 97 else 2000 + a[3]
        out.append("%.3s %2d:%2.2d %cM %.3s %2d, %4.4d" % (
            name(DAYS, dow), hour, minute, 'P' if pm else 'A', name(MONTHS, month), day, year))
        out.append("")
        out.append("               L        C        R       LS       RS       SW")
        out.append("-" * 66)
        out.append("Volume " + "".join(vol(a[6 + k]) for k in COLUMNS))
        out.append("Bass   " + "".join(tone(a[12 + 30 * k + 27]) for k in COLUMNS))
        out.append("Treble " + "".join(tone(a[12 + 30 * k + 28]) for k in COLUMNS))
        for i in range(27):
            row = "%6s   " % BANDS[i]
            for k in COLUMNS[:5]:
                if k in (1, 3):
                    cell = eq(a[12 + 30 * k + i // 3]) if i % 3 == 2 else "     "
                else:
                    cell = eq(a[12 + 30 * k + i])
                row += cell + "  "
            out.append(row)
    return "".join(line + "\r\n" for line in out).encode("latin-1")


def stamp(hour, minute, pm, dow, month, day, yearbyte, bit7=0):
    return [month << 4 | hour, dow << 5 | day, bit7 << 7 | pm << 6 | minute, yearbyte]


def full_image():
    cfg = [0] * 800
    s = cfg  # system block at 0
    s[0] = 2                     # Internal A noise reduction
    s[1] = 7                     # matrix disabled
    s[3] = 9                     # no table entry
    s[4], s[5] = 0x00, 0x05      # 1.25
    s[6] = 25                    # 250 ms
    s[9] = 1
    s[11:15] = [0, 255, 3, 11]   # F1-F256-F4-F12
    s[24:30] = [3, 255, 12, 0, 6, 99]
    s[30] = 4
    for n in range(3):
        base = 128 + 224 * n
        a = [0] * 224
        if n == 0:
            a[0:4] = stamp(9, 5, 0, 4, 11, 25, 99)        # TUE 9:05 AM DEC 25, 1999
            a[6:12] = [0, 1, 12, 24, 10, 23]               # L LS C RS R SW
            tones = [(0, 10), (10, 0), (20, 13), (13, 20), (5, 99), (255, 100)]
            eqs = [0, 13, 24, 255, 12, 11]
        elif n == 1:
            a[0:4] = stamp(12, 59, 1, 7, 15, 31, 197, 1)   # out-of-table day and month, PM
            a[6:12] = [2, 22, 11, 13, 200, 255]
            tones = [(9, 11), (1, 19), (100, 110), (0, 0), (20, 20), (10, 10)]
            eqs = [1, 23, 25, 12, 0, 24]
        else:
            a[0:4] = stamp(0, 0, 0, 0, 0, 0, 0)            # FRI 0:00 AM JAN 0, 2000
            rng = random.Random(3)
            a[6:12] = [rng.randrange(25) for _ in range(6)]
            tones = [(rng.randrange(21), rng.randrange(21)) for _ in range(6)]
            eqs = None
        for k in range(6):
            t = 12 + 30 * k
            for i in range(27):
                if eqs is None:
                    a[t + i] = rng.randrange(25)
                else:
                    # A distinct value per band, so a wrong band index shows.
                    a[t + i] = (eqs[k] + i) % 256 if i else eqs[k]
            a[t + 27], a[t + 28] = tones[k]
            a[t + 29] = 0xEE
        a[4], a[5] = 0xAA, 0x55
        for i in range(192, 224):
            a[i] = i
        cfg[base:base + 224] = a
    return cfg


def second_image():
    cfg = full_image()
    cfg[0] = 200                 # no table entry
    cfg[1] = 0
    cfg[3] = 3
    cfg[4], cfg[5] = 0x01, 0x8C  # 99.00
    cfg[6] = 0
    cfg[9] = 0                   # password off; keys stay stored but are not printed
    cfg[30] = 5                  # no table entry
    cfg[128:132] = stamp(1, 30, 1, 6, 1, 29, 96)       # THU 1:30 PM FEB 29, 2096
    return cfg


NAMES = ("Riverside Circuit", "Park Theater", "Screen 3")

if __name__ == "__main__":
    with open(os.path.join(HERE, "zero.txt"), "wb") as f:
        f.write(report([0] * 800, *NAMES))
    for stem, cfg in (("full", full_image()), ("second", second_image())):
        with open(os.path.join(HERE, stem + ".cfg"), "wb") as f:
            f.write(bytes(cfg))
        with open(os.path.join(HERE, stem + ".txt"), "wb") as f:
            f.write(report(cfg, *NAMES))
