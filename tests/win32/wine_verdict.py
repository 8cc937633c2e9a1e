#!/usr/bin/env python3
"""wine_verdict.py PROGRAM.exe [ARGUMENT...]: runs a GoogleTest program under
Wine and judges it by the XML report it writes once every test has run.

Wine's processes may outlive a program and hold its output, so the output
goes to a file, never to the caller's pipe. The verdict is the report:
complete, with tests and none failed. A program still running GRACE
seconds after a complete report (a Wine fault at exit) is ended and named;
a missing report is a failure, whatever the exit status.
"""
import os
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

GRACE = 30


def report(path):
    try:
        return ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError):
        return None


def main(argv):
    with tempfile.TemporaryDirectory(prefix="brenvo1-verdict-") as work:
        xml, log = os.path.join(work, "report.xml"), os.path.join(work, "output")
        with open(log, "wb") as output:
            process = subprocess.Popen(["wine", argv[1], "--gtest_output=xml:Z:" + xml.replace("/", "\\")] + argv[2:],
                                       stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT)
        reported = None
        while process.poll() is None:
            reported = reported or (report(xml) is not None and time.monotonic())
            if reported and time.monotonic() - reported > GRACE:
                print(f"wine_verdict: {argv[1]} still ran {GRACE} s after its complete report: a Wine fault; ended")
                process.kill()
                process.wait()
            time.sleep(0.1)
        with open(log, "rb") as output:
            sys.stdout.buffer.write(output.read())
        root = report(xml)
        if root is None:
            print(f"wine_verdict: no complete report (exit status {process.returncode}): failed")
            return 1
        tests, failed = int(root.get("tests", 0)), int(root.get("failures", 0)) + int(root.get("errors", 0))
        print(f"wine_verdict: {tests} tests reported, {failed} failed (exit status {process.returncode})")
        return 0 if tests > 0 and failed == 0 else 1


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv))
