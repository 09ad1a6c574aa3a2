#!/usr/bin/python3
"""The dialog as a person at a terminal meets it, through a pseudo-terminal.

    /usr/bin/python3 terminal_check.py MANDRELIX DATA_DIR

MANDRELIX is the built program, DATA_DIR the folder of the shipped sample
files. Every case runs the program in a fresh temporary folder holding those
files:

  letter_at_numeric_question   at a terminal, a letter typed where a number is
                               asked gets one line of explanation and the same
                               question again; the run then goes on to its end
                               (exit status 0).
  report_file_cannot_be_opened at a terminal, a report file name that cannot be
                               opened gets one line and the question for another
                               name; a good name is then used for the report.
  circuit_file_cannot_be_opened at a terminal, a circuit data file name that
                               cannot be opened gets one line and the question
                               for the name again; the good name is then read
                               and analysed.
  letter_from_a_pipe           with standard input a pipe, the same letter ends
                               the run: status 2, one line on standard error.

Nothing waits without a limit: every read has a timeout and the child is
killed at the end of each case. Exit status 0 when every case passes, 1
otherwise.
"""

import os
import pty
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import time

TIMEOUT = 20.0  # seconds for any one expected text and for the end of a run

FUNCTION_PROMPT = "      Program FUNCTION selected = "
STORAGE_NAME_PROMPT = "           Enter your FILENAME for Output Data Storage: "
CIRCUIT_NAME_PROMPT = "      for your Filter`s Design (up to 20 characters) = "
TABLE_RULE = "          " + "-" * 65 + "\n"
LAST_MENU_PROMPT = "      OPERATION selected = "

# Analysis of the shipped lumped circuit file (FUNCTION 1, OPTION 1,
# SUBOPTION 2, the default file, default ports) from 500 to 1500 MHz by 250.
ANALYSIS_AFTER_FUNCTION = ["1", "2", "", "", "", "", "", "500", "1500", "250"]


class Failure(Exception):
    pass


class Terminal:
    """The program with a pseudo-terminal as its standard input and output.
    Echo is off, so the text read back is exactly what the program wrote."""

    def __init__(self, binary, cwd):
        pid, fd = pty.fork()
        if pid == 0:  # the child: the terminal is its standard input and output
            try:
                attrs = termios.tcgetattr(0)
                attrs[3] &= ~termios.ECHO
                termios.tcsetattr(0, termios.TCSANOW, attrs)
                os.chdir(cwd)
                os.execv(binary, [binary])
            finally:
                os._exit(127)
        self.pid, self.fd = pid, fd
        self.text = ""  # everything read so far, line ends as "\n"
        self.seen = 0  # how far expect() has matched
        self.status = None

    def _read(self, deadline):
        """Reads what is there; False at the end of the output."""
        left = deadline - time.monotonic()
        if left <= 0:
            return True
        ready, _, _ = select.select([self.fd], [], [], left)
        if not ready:
            return True
        try:
            data = os.read(self.fd, 4096)
        except OSError:  # EIO: the child closed the terminal
            return False
        if not data:
            return False
        self.text += data.decode("ascii", "replace").replace("\r\n", "\n")
        return True

    def expect(self, what):
        """Waits for `what` after the last match; returns the text between."""
        deadline = time.monotonic() + TIMEOUT
        while True:
            at = self.text.find(what, self.seen)
            if at >= 0:
                between = self.text[self.seen:at]
                self.seen = at + len(what)
                return between
            if time.monotonic() >= deadline:
                raise Failure("no %r within %g s; the program wrote last:\n%s"
                              % (what, TIMEOUT, self.text[-600:]))
            if not self._read(deadline):
                raise Failure("the program ended before writing %r; it wrote last:\n%s"
                              % (what, self.text[-600:]))

    def send(self, answer):
        os.write(self.fd, (answer + "\n").encode("ascii"))

    def wait_end(self):
        """Reads to the end of the output and returns the exit status."""
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline:
            if not self._read(deadline):
                break
            done, status = os.waitpid(self.pid, os.WNOHANG)
            if done:
                self.status = os.waitstatus_to_exitcode(status)
                while self._read(time.monotonic() + 0.2):
                    pass
                return self.status
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline:
            done, status = os.waitpid(self.pid, os.WNOHANG)
            if done:
                self.status = os.waitstatus_to_exitcode(status)
                return self.status
            time.sleep(0.05)
        raise Failure("the program did not end within %g s" % TIMEOUT)

    def close(self):
        if self.status is None:
            try:
                os.kill(self.pid, signal.SIGKILL)
                os.waitpid(self.pid, 0)
            except (ProcessLookupError, ChildProcessError):
                pass
        os.close(self.fd)


def check(condition, message):
    if not condition:
        raise Failure(message)


def one_line(text, what):
    check(text.endswith("\n") and text.count("\n") == 1 and text.strip(),
          "%s: expected one line, got %r" % (what, text))


def finish_analysis(t):
    """No report file, the five rows of the analysis, then the end of the run."""
    t.send("")  # no storage
    t.expect(TABLE_RULE)
    rows = t.expect("      ----")
    check(rows.count("\n") == 5, "expected 5 rows of analysis, got:\n%s" % rows)
    t.expect(LAST_MENU_PROMPT)
    t.send("3")
    status = t.wait_end()
    check(status == 0, "exit status %s, expected 0" % status)


def letter_at_numeric_question(binary, folder):
    t = Terminal(binary, folder)
    try:
        t.expect(FUNCTION_PROMPT)
        t.send("x")
        explanation = t.expect(FUNCTION_PROMPT)
        one_line(explanation, "the answer to the letter")
        check("'x' is not a number" in explanation, "the line does not name the answer: %r"
              % explanation)
        t.send("1")
        for answer in ANALYSIS_AFTER_FUNCTION:
            t.send(answer)
        finish_analysis(t)
        check(t.text.count("is not a number") == 1, "more than one explanation")
    finally:
        t.close()


def report_file_cannot_be_opened(binary, folder):
    t = Terminal(binary, folder)
    try:
        t.expect(FUNCTION_PROMPT)
        t.send("1")
        for answer in ANALYSIS_AFTER_FUNCTION:
            t.send(answer)
        t.send("1")  # storage wanted
        t.send("nodir/x.txt")
        t.expect(STORAGE_NAME_PROMPT)  # the dialog's own question
        message = t.expect(STORAGE_NAME_PROMPT)  # and again after the message
        one_line(message, "the answer to the bad name")
        check('"nodir/x.txt"' in message and "another name" in message,
              "the line does not say what happened: %r" % message)
        t.send("good.txt")
        t.expect(TABLE_RULE)
        t.expect("Output Data stored in User Filename: good.txt")
        t.expect(LAST_MENU_PROMPT)
        t.send("3")
        status = t.wait_end()
        check(status == 0, "exit status %s, expected 0" % status)
        report = os.path.join(folder, "good.txt")
        check(os.path.isfile(report), "good.txt was not written")
        with open(report) as fh:
            stored = fh.read()
        check("Frequency ANALYSIS of the  7-Section" in stored and stored.count("\n") > 20,
              "good.txt does not hold the analysis report:\n%s" % stored)
        check(not os.path.exists(os.path.join(folder, "nodir")), "a folder nodir was made")
    finally:
        t.close()


def circuit_file_cannot_be_opened(binary, folder):
    t = Terminal(binary, folder)
    try:
        t.expect(FUNCTION_PROMPT)
        for answer in ["1", "1", "2", "lumpd7.lef"]:
            t.send(answer)
        t.expect(CIRCUIT_NAME_PROMPT)
        t.expect("....\n")  # the reading attempted
        message = t.expect("\n") + "\n"
        one_line(message, "the answer to the bad name")
        check('"lumpd7.lef"' in message and "another name" in message,
              "the line does not say what happened: %r" % message)
        t.expect(CIRCUIT_NAME_PROMPT)  # asked again
        t.send("lumped7.lef")
        for answer in ANALYSIS_AFTER_FUNCTION[3:]:
            t.send(answer)
        t.expect("..Completed.")
        finish_analysis(t)
    finally:
        t.close()


def letter_from_a_pipe(binary, folder):
    try:
        r = subprocess.run([binary], cwd=folder, input=b"x\n1\n", stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end within %g s" % TIMEOUT)
    out, err = r.stdout.decode("ascii", "replace"), r.stderr.decode("ascii", "replace")
    check(r.returncode == 2, "exit status %d, expected 2" % r.returncode)
    check(err == "input error: 'x' is not a number\n", "standard error: %r" % err)
    check(out.endswith(FUNCTION_PROMPT), "the run did not stop at the first question:\n%s"
          % out[-300:])
    check(out.count(FUNCTION_PROMPT) == 1, "the question was asked again")


CASES = [letter_at_numeric_question, report_file_cannot_be_opened, circuit_file_cannot_be_opened,
         letter_from_a_pipe]


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    binary, data = os.path.abspath(sys.argv[1]), sys.argv[2]
    failed = 0
    for case in CASES:
        folder = tempfile.mkdtemp(prefix="mandrelix-pty-")
        try:
            for name in os.listdir(data):
                shutil.copyfile(os.path.join(data, name), os.path.join(folder, name))
            case(binary, folder)
            print("ok      %s" % case.__name__)
        except Failure as e:
            failed += 1
            print("FAILED  %s: %s" % (case.__name__, e))
        finally:
            shutil.rmtree(folder, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
