"""Runs a program with a terminal of its own, as a person at a terminal would, and answers the
questions it asks there in turn: a question is what the terminal shows once it ends in ": " or
"] " and waits. The program's standard output and error stay those of this script; what the
terminal showed goes to TRANSCRIPT. A question beyond the answers gets the end of input (Ctrl+D).

  tty_session.py TRANSCRIPT ANSWER... -- PROGRAM [ARGUMENT...]
"""
import os
import pty
import select
import sys


def main():
    split = sys.argv.index("--")
    transcript_path, answers = sys.argv[1], sys.argv[2:split]
    command = sys.argv[split + 1:]
    out, err = os.dup(1), os.dup(2)
    pid, terminal = pty.fork()
    if pid == 0:
        os.dup2(out, 1)
        os.dup2(err, 2)
        os.execvp(command[0], command)
    shown = b""
    since_answer = b""
    status = None
    while status is None:
        ready, _, _ = select.select([terminal], [], [], 0.2)
        if ready:
            try:
                chunk = os.read(terminal, 4096)
            except OSError:  # the program ended, and its terminal with it
                chunk = b""
            if not chunk:
                break
            shown += chunk
            since_answer += chunk
        elif since_answer.endswith((b": ", b"] ")):
            os.write(terminal, (answers.pop(0) + "\n").encode() if answers else b"\x04")
            since_answer = b""
        else:
            done, code = os.waitpid(pid, os.WNOHANG)
            if done:
                status = code
    if status is None:
        _, status = os.waitpid(pid, 0)
    with open(transcript_path, "wb") as transcript:
        transcript.write(shown)
    sys.exit(os.waitstatus_to_exitcode(status))


if __name__ == "__main__":
    main()
