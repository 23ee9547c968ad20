#!/usr/bin/env python3
"""Runs each register operation of operations.tsv under strace, replays the file-system calls it
made, and cuts the power after every one of them: whatever a disk may keep of unflushed work must
leave every record as it was before the operation or as it is after it, and nothing may be
acknowledged (the process ending) before all of it is durable.

The disk is taken at its worst: a file's bytes written since its last fsync/fdatasync may be lost
or torn, and every name made, renamed or removed in the folder since the folder's last fsync may
independently be found as it was at that fsync or as it is now.

Usage: power_cut_check.py TABLE SITEKANRI_CLI DURABILITY_DRIVER
"""
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

# The calls the register's writes are made of. Any other call that changed the folder would leave the
# replay short of where the real folder ended, which fails the case.
CALLS = 'openat,write,close,renameat,renameat2,linkat,unlinkat,fsync,fdatasync,exit_group'
TORN = 'torn'  # a file's contents after a power cut while its bytes were not flushed
LINE = re.compile(r'^(\d+) +(?:<\.\.\. (\w+) resumed>|(\w+)\()(.*?)(?: <unfinished \.\.\.>|\) += (.*))$')
DATA_NAME = re.compile(r'^data([1-9][0-9]{0,9})\.ini$', re.IGNORECASE)


def unescape(text):
    return re.sub(rb'\\x([0-9a-f]{2})', lambda m: bytes([int(m.group(1), 16)]), text.encode('latin-1'))


def arguments(text):
    """The arguments of a call: bytes for strings, (descriptor, path) for annotated descriptors."""
    return [unescape(m[1]) if m.lastindex == 1 else (m[2], unescape(m[3])) if m.lastindex == 3 else m[4]
            for m in re.finditer(r'"((?:\\x[0-9a-f]{2})*)"|(\d+|AT_FDCWD)<((?:\\x[0-9a-f]{2})*)>|([A-Z_|0-9]+)', text)]


def calls(trace):
    """Completed calls in the order they returned: (name, arguments, result, line)."""
    pending = {}
    for line in trace.splitlines():
        m = LINE.match(line)
        if not m:
            continue
        pid, resumed, name, args, result = m.groups()
        if result is None:
            pending[pid] = (name, args)
            continue
        if resumed:
            name, start = pending.pop(pid)
            args = start + args
        yield name, arguments(args), result, line


class Disk:
    """The register folder as the kernel holds it, and what of it is durable."""

    def __init__(self, folder, contents):
        self.folder = os.fsencode(folder)
        self.files = {}  # inode -> [bytes now, bytes durable (None: never flushed)]
        self.names = {n: self.new_file(c, durable=True) for n, c in contents.items()}  # name -> inode
        self.durable_names = dict(self.names)  # as of the folder's last flush
        self.fds = {}  # descriptor -> inode, or 'folder'

    def new_file(self, content=b'', durable=False):
        inode = len(self.files)
        self.files[inode] = [content, content if durable else None]
        return inode

    def name_in_folder(self, at, name):
        path = name if name.startswith(b'/') else at[1] + b'/' + name
        return os.path.basename(path) if os.path.dirname(path) == self.folder else None

    def apply(self, name, args, result):
        """Replays one completed call; only calls that succeeded changed anything."""
        if result.startswith('-1') or result == '?':
            return
        if name == 'openat':
            at, path, flags = args[:3]
            fd, target = result.split('<', 1)
            if unescape(target.rstrip('>')) == self.folder:
                self.fds[fd] = 'folder'
                return
            entry = self.name_in_folder(at, path)
            if entry is None:
                return
            if entry not in self.names:
                self.names[entry] = self.new_file()
            inode = self.fds[fd] = self.names[entry]
            if 'O_TRUNC' in flags:
                self.files[inode][0] = b''
        elif name == 'write':
            inode = self.fds.get(args[0][0])
            if inode is not None:
                self.files[inode][0] += args[1][:int(result)]
        elif name == 'close':
            self.fds.pop(args[0][0], None)
        elif name in ('fsync', 'fdatasync'):
            target = self.fds.get(args[0][0])
            if target == 'folder':
                self.durable_names = dict(self.names)
            elif target is not None:
                self.files[target][1] = self.files[target][0]
        elif name in ('renameat', 'renameat2', 'linkat'):
            old, new = self.name_in_folder(*args[0:2]), self.name_in_folder(*args[2:4])
            if old is None or new is None:
                return
            exchange = name == 'renameat2' and 'RENAME_EXCHANGE' in args[4]
            moved = self.names[old] if name == 'linkat' else self.names.pop(old)
            if exchange:
                self.names[old] = self.names[new]
            self.names[new] = moved
        elif name == 'unlinkat':
            self.names.pop(self.name_in_folder(*args[:2]), None)

    def after_power_cut(self, name):
        """What a name may be found holding after a power cut: bytes, TORN or None (no file)."""
        return {None if inode is None else self.files[inode][1] if self.files[inode][0] == self.files[inode][1] else TORN
                for inode in {self.durable_names.get(name), self.names.get(name)}}

    def now(self):
        return {n: self.files[i][0] for n, i in self.names.items()}


def view(named):
    """The register as a reader takes the folder's {name: bytes}: (count, {number: bytes})."""
    count = record_count(named.get(b'setting.ini')) or 0
    return count, {number(n): c for n, c in named.items() if number(n) and number(n) <= count}


def number(name):
    m = DATA_NAME.match(name.decode('latin-1'))
    return int(m.group(1)) if m else 0


def record_count(setting):
    m = re.search(rb'^DATA_CNT=[ \t]*\+?([0-9]+)', setting or b'', re.MULTILINE)
    return int(m.group(1)) if m else None


def faults(disk, before, after, acknowledged):
    """Why the folder as a power cut now may leave it is neither `before` nor `after`."""
    (old_count, old), (new_count, new) = before, after
    if acknowledged:  # once acknowledged, only the new register will do
        old_count, old = new_count, new
    numbers = {number(n) for n in set(disk.names) | set(disk.durable_names)} | set(old) | set(new)
    numbers.discard(0)
    problems = []
    for setting in disk.after_power_cut(b'setting.ini'):
        count = record_count(setting) if setting is not TORN else TORN
        if count is None:  # an empty register; with data files, a damaged one to be repaired by hand
            problems += [f'data{n}.ini without a count' for n in numbers if disk.after_power_cut(b'data%d.ini' % n) != {None}]
            count = 0
        if count not in (old_count, new_count):
            problems.append(f'the count {count!r}, not {old_count}' + (f' or {new_count}' if new_count != old_count else ''))
            continue
        for n in sorted(numbers):
            for content in disk.after_power_cut(b'data%d.ini' % n):
                shown = content if n <= count else None
                # A raised count brings in only finished records; otherwise each is old or new.
                raised = old_count != count and old_count < n <= count
                allowed = {new.get(n)} if raised else {old.get(n), new.get(n)}
                if shown not in allowed:
                    problems.append(f'record {n} with count {count}: {shown!r}, not one of {allowed!r}')
    return problems


def run_case(records, extra_name, extra, command, programs):
    """What went wrong (nothing: an empty list) and how many calls the operation made."""
    with tempfile.TemporaryDirectory() as top:
        folder = os.path.join(top, 'register')
        os.mkdir(folder)
        if records != '-':
            names = records.split(',')
            write(folder, 'setting.ini', '[SETTING]\r\nDATA_CNT=%d\r\n' % len(names))
            for i, name in enumerate(names, 1):
                if name != '-':
                    write(folder, 'data%d.ini' % i, '[DATA]\r\nNAME=%s\r\nURL=http://127.0.0.1/%s\r\n' % (name, name))
        if extra_name != '-':
            write(folder, extra_name, extra.replace('\\r\\n', '\r\n'))
        contents = read_folder(folder)
        program, *args = command.split(' ')
        trace = os.path.join(top, 'trace')
        # The leak checker of a sanitizer build cannot run under ptrace: it is turned off there.
        asan = ':'.join(filter(None, [os.environ.get('ASAN_OPTIONS', ''), 'detect_leaks=0']))
        ran = subprocess.run(['strace', '-f', '-qq', '-y', '-xx', '-s', '1000000', '-o', trace, '-e', 'trace=' + CALLS,
                              programs[program], *(a.replace('{dir}', folder) for a in args)],
                             capture_output=True, timeout=60, env=dict(os.environ, ASAN_OPTIONS=asan))
        if ran.returncode != 0:
            return [f'exit {ran.returncode}: {ran.stderr.decode(errors="replace")}'], 0
        with open(trace, encoding='latin-1') as f:
            steps = list(calls(f.read()))
        before, after = view(contents), view(read_folder(folder))
        disk, problems = Disk(folder, contents), []
        for name, args, result, line in steps:
            disk.apply(name, args, result)
            if not problems and (problems := faults(disk, before, after, acknowledged=name == 'exit_group')):
                shown = unescape(line).decode('utf-8', 'replace').replace(folder, '<register>')
                problems.insert(0, f'power cut after: {shown[:200]}')
        # The replay must end where the real folder did, or it proves nothing.
        if disk.now() != read_folder(folder):
            return ['the replayed calls do not end in the folder the operation left'], 0
        if after == before:
            return ['the operation changed nothing'], 0
        if not any(step[0] == 'exit_group' for step in steps):
            return ['the trace does not show the process ending'], 0
        return problems, len(steps)


def read_folder(folder):
    return {os.fsencode(path.name): path.read_bytes() for path in Path(folder).iterdir()}


def write(folder, name, text):
    Path(folder, name).write_bytes(text.encode('cp932'))


def main():
    table, cli, driver = sys.argv[1:4]
    # A container may forbid tracing altogether: then nothing here can be seen, and ctest is told
    # so (exit 77, a skip) rather than a failure of the register.
    probe = subprocess.run(['strace', '-qq', '-o', os.devnull, 'true'], capture_output=True)
    if probe.returncode != 0:
        print('skipped: strace cannot trace here: ' + probe.stderr.decode(errors='replace').strip())
        sys.exit(77)
    failed = 0
    with open(table, encoding='utf-8') as f:
        for line in f:
            if line.startswith('#') or not line.strip():
                continue
            case, *columns = line.rstrip('\n').split('\t')
            problems, steps = run_case(*columns, {'cli': cli, 'driver': driver})
            print(f'FAIL {case}' if problems else f'ok   {case} (a power cut after each of {steps} calls)')
            for problem in problems[:6]:
                print('     ' + problem)
            failed += bool(problems)
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
