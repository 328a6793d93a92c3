#!/usr/bin/python3
"""Writes demo/Sample Schedule.xlsx, the schedule the demo converts (needs the Debian package python3-xlsxwriter).

The program reads rows 5 to 100 of the first sheet: J = VR destination, K = start, L = end, R = event name,
T = note, V = router source (a name listed in demo/RT-IN1.LST). Everything else on the sheet is for people.
"""
import datetime
import pathlib

import xlsxwriter

ROWS = [
    # VR, start, end, event name, note, source
    (1, "06:00", "06:30", "Morning Market Feed", "Record for the 07:15 bulletin", "SAT 1"),
    (2, "08:15", "09:00", "Parliament Live", "Clean feed, no graphics", "FIBRE 2"),
    (3, "12:00", "12:45", "Regional News Lunch", "", "STUDIO B"),
    (1, "14:30", "16:10", "Cup Quarter Final", "Hold to 16:30 if extra time", "OB VAN 1"),
    (4, "18:55", "19:05", "Weather Update", "", "studio a"),
    (2, "23:30", "00:30", "Late Film Review", "Runs past midnight", "SAT 2"),
]


def clock(text):
    hours, minutes = (int(part) for part in text.split(":"))
    return datetime.time(hours, minutes)


def main():
    path = pathlib.Path(__file__).with_name("Sample Schedule.xlsx")
    book = xlsxwriter.Workbook(str(path))
    book.set_properties({"title": "NRT recording schedule", "author": "Demo"})
    sheet = book.add_worksheet("Schedule")
    title = book.add_format({"bold": True, "font_size": 14})
    heading = book.add_format({"bold": True, "bottom": 1})
    time = book.add_format({"num_format": "hh:mm"})
    sheet.write("A1", "NRT recording schedule", title)
    sheet.write("A2", "Converted on the day it is dropped into the watch folder")
    for column, text in {"A": "Item", "J": "VR", "K": "Start", "L": "End", "R": "Event", "T": "Note",
                         "V": "Source"}.items():
        sheet.write(f"{column}4", text, heading)
    for offset, (vr, start, end, name, note, source) in enumerate(ROWS):
        row = 5 + offset
        sheet.write_number(f"A{row}", offset + 1)
        sheet.write_number(f"J{row}", vr)
        sheet.write_datetime(f"K{row}", clock(start), time)
        sheet.write_datetime(f"L{row}", clock(end), time)
        sheet.write_string(f"R{row}", name)
        if note:
            sheet.write_string(f"T{row}", note)
        sheet.write_string(f"V{row}", source)
    sheet.set_column("R:R", 24)
    sheet.set_column("T:T", 30)
    sheet.set_column("V:V", 12)
    book.close()


if __name__ == "__main__":
    main()
