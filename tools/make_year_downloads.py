#!/usr/bin/python3
# Writes saved downloads for the README's archive pictures: a year of one controller's log taken in twelve
# monthly downloads (each reaching back about five and a half weeks, so each overlaps the one before, as
# a controller that keeps a rolling log does), and a few shorter downloads of three other controllers,
# one of them not downloaded for three weeks. Every file is byte for byte what the controller sends:
# six header lines, the "Date," titles, records "dd/MM/yyyy,HH:MM:SS,channel,event,value,unit,battery,
# status,sequence", "END OF DOWNLOAD", each line ending in CR LF. Each file's modification time is the
# time of its download, which an import takes as the download's time.
#
#   tools/make_year_downloads.py FOLDER [--end YYYY-MM-DD]     (times in UTC)

import argparse
import datetime as dt
import math
import os
import random

TITLES = "Date,Time,Channel,Event,Value,Unit,Battery,Status,Sequence"
STEP = dt.timedelta(minutes=20)
REACH = dt.timedelta(days=38)  # how far back a download reaches


def header(unit, site, count):
    return [
        "RM7 CONTROLLER LOG DOWNLOAD",
        "Korvane Instruments",
        "Site: " + site,
        "Unit: " + unit,
        "Log Entries: " + str(count),
        "Firmware: R7305 V1.7",
        TITLES,
    ]


class Controller:
    """A controller's whole log: one record every 20 minutes from `start` to `end`, some days off."""

    def __init__(self, seed, start, end, level, swing, off=()):
        rng = random.Random(seed)
        self.records = []
        when = start
        sequence = 0
        events = ["LEVEL", "LEVEL", "FLOW", "LEVEL", "PUMP ON", "LEVEL", "PUMP OFF"]
        while when <= end:
            sequence += 1
            if not any(a <= when < b for a, b in off):
                day = when.timetuple().tm_yday
                hour = when.hour + when.minute / 60
                value = (level + swing * math.sin(2 * math.pi * (day - 80) / 365.25)
                         + 2.5 * math.sin(2 * math.pi * (hour - 9) / 24) + rng.gauss(0, 0.5))
                # A battery that runs down over half a year, then is replaced; a little charge by day.
                age = ((when - start).total_seconds() / 86400 + seed) % 182
                sun = max(0.0, math.sin(math.pi * (hour - 6) / 12))
                battery = 13.7 - 1.7 * age / 182 + 0.1 * sun + rng.gauss(0, 0.02)
                status = "OK" if battery >= 12.2 else "LOW BATT"
                self.records.append((when, "%s,%s,%d,%s,%.1f,m,%.1fV,%s,%06d" % (
                    when.strftime("%d/%m/%Y"), when.strftime("%H:%M:%S"), 1 + sequence % 4,
                    events[sequence % len(events)], max(0.0, value), battery, status, sequence)))
            when += STEP

    def download(self, taken):
        return [line for when, line in self.records if taken - REACH <= when <= taken]


def write(folder, name, unit, site, lines, taken):
    text = "\r\n".join(header(unit, site, len(lines)) + lines + ["END OF DOWNLOAD"]) + "\r\n"
    path = os.path.join(folder, name)
    with open(path, "wb") as out:
        out.write(text.encode("ascii"))
    stamp = taken.replace(tzinfo=dt.timezone.utc).timestamp()
    os.utime(path, (stamp, stamp))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("folder")
    parser.add_argument("--end", help="the day of the last download (YYYY-MM-DD); an hour ago by default")
    args = parser.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    if args.end:
        end = dt.datetime.combine(dt.date.fromisoformat(args.end), dt.time(9, 30))
    else:
        end = dt.datetime.now(dt.timezone.utc).replace(tzinfo=None, second=0, microsecond=0) - dt.timedelta(hours=1)
        end -= dt.timedelta(minutes=end.minute % 20)
    start = end - dt.timedelta(days=365) - REACH

    # The year: downloads a month apart, the last on the end day; four days without records in summer.
    gap = end - dt.timedelta(days=130)
    pump = Controller(42, start, end, 38, 22, off=[(gap, gap + dt.timedelta(days=4))])
    for month in range(12):
        taken = end - dt.timedelta(days=round(30.4 * (11 - month)))
        write(args.folder, "rm7-0042_%s.csv" % taken.date().isoformat(), "RM7-0042", "North Pump Station",
              pump.download(taken), taken)

    # Three more controllers with a few downloads each; the Hill Tank's is three weeks old.
    for seed, unit, site, ages in [(17, "RM7-0017", "West Reservoir", [58, 30, 2]),
                                   (31, "RM7-0031", "Hill Tank", [52, 23]),
                                   (58, "RM7-0058", "River Intake", [5])]:
        other = Controller(seed, start, end, 20 + seed % 7, 8)
        for age in ages:
            taken = end - dt.timedelta(days=age, hours=seed % 5)
            write(args.folder, "%s_%s.csv" % (unit.lower(), taken.date().isoformat()), unit, site,
                  other.download(taken), taken)


if __name__ == "__main__":
    main()
