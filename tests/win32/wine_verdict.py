#!/usr/bin/env python3
"""Runs a GoogleTest program under Wine and judges it by its own report.

Usage: wine_verdict.py PROGRAM.exe [ARGUMENT...]

A program's processes under Wine may outlive it: Wine's desktop process,
started by the first program that needs it, takes that program's standard
error along and keeps it for as long as the prefix runs other programs. So
the program writes to a file, never to the caller's pipe, and its verdict is
the XML report GoogleTest writes once every test has run: complete, with
tests in it and none failed. Should the program itself stay after a
complete report (a Wine fault at exit), it is ended after a grace period and
named; a missing or incomplete report is a failure, whatever the exit
status. The program's output is printed either way.
"""
import os
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

GRACE_SECONDS = 30


def read_report(path):
    try:
        return ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError):
        return None


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    with tempfile.TemporaryDirectory(prefix="brenvo1-verdict-") as work:
        report_path = os.path.join(work, "report.xml")
        output_path = os.path.join(work, "output")
        with open(output_path, "wb") as output:
            process = subprocess.Popen(
                ["wine", argv[1], "--gtest_output=xml:Z:" + report_path.replace("/", "\\")] + argv[2:],
                stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT)
        reported_at = None
        while process.poll() is None:
            if reported_at is None and read_report(report_path) is not None:
                reported_at = time.monotonic()
            if reported_at is not None and time.monotonic() - reported_at > GRACE_SECONDS:
                print(f"wine_verdict: {os.path.basename(argv[1])} (process {process.pid}) was still running "
                      f"{GRACE_SECONDS} s after its complete report: a Wine fault; ended")
                process.kill()
                process.wait()
                break
            time.sleep(0.1)
        with open(output_path, "rb") as output:
            sys.stdout.buffer.write(output.read())
        report = read_report(report_path)
        if report is None:
            print(f"wine_verdict: no complete report (exit status {process.returncode}): failed")
            return 1
        tests, failed = int(report.get("tests", 0)), int(report.get("failures", 0)) + int(report.get("errors", 0))
        print(f"wine_verdict: {tests} tests reported, {failed} failed (exit status {process.returncode})")
        return 0 if tests > 0 and failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
