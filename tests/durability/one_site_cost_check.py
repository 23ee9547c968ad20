#!/usr/bin/env python3
"""Records what one `add` and one `delete` of sitekanri-cli open and list, under strace, on registers
of 100 and of 10 000 sites, and fails if any count grows with the register: an operation on one site
costs the same whatever the register's size.

    one_site_cost_check.py SITEKANRI_CLI
"""
import os
import subprocess
import sys
import tempfile

SIZES = (100, 10000)
CALLS = 'openat,getdents64'


def make_register(folder, count):
    os.mkdir(folder)
    for i in range(1, count + 1):
        with open(os.path.join(folder, 'data%d.ini' % i), 'wb') as f:
            f.write(b'[DATA]\r\nNAME=site %d\r\nURL=http://www%d.example.jp/\r\n' % (i, i))
    with open(os.path.join(folder, 'setting.ini'), 'wb') as f:
        f.write(b'[SETTING]\r\nDATA_CNT=%d\r\n' % count)


def traced(cli, folder, args, env, trace):
    ran = subprocess.run(['strace', '-f', '-qq', '-y', '-o', trace, '-e', 'trace=' + CALLS, cli, '--dir', folder, *args],
                         capture_output=True, timeout=120, env=env)
    if ran.returncode != 0:
        sys.exit('%s exited %d: %s' % (' '.join(args), ran.returncode, ran.stderr.decode(errors='replace')))
    with open(trace, encoding='latin-1') as f:
        lines = f.read().splitlines()
    # Files of the register and of the program's own notes; the libraries a start loads are alike.
    opened = sum(1 for line in lines if 'openat(' in line and (folder in line or '/state/' in line))
    listed = sum(1 for line in lines if 'getdents64(' in line)
    return opened, listed


def main():
    cli = sys.argv[1]
    probe = subprocess.run(['strace', '-qq', '-o', os.devnull, 'true'], capture_output=True)
    if probe.returncode != 0:
        print('skipped: strace cannot trace here: ' + probe.stderr.decode(errors='replace').strip())
        sys.exit(77)
    costs = {}
    for size in SIZES:
        with tempfile.TemporaryDirectory() as top:
            folder = os.path.join(top, 'register')
            make_register(folder, size)
            env = dict(os.environ, XDG_STATE_HOME=os.path.join(top, 'state'),
                       ASAN_OPTIONS=':'.join(filter(None, [os.environ.get('ASAN_OPTIONS', ''), 'detect_leaks=0'])))
            trace = os.path.join(top, 'trace')
            # The first write after a start learns the register once; what follows is the everyday cost.
            subprocess.run([cli, '--dir', folder, 'add', '--name', 'first', '--url', 'http://first.example.jp/'],
                           check=True, capture_output=True, env=env)
            costs[size] = {
                'add': traced(cli, folder, ['add', '--name', 'new', '--url', 'http://new.example.jp/'], env, trace),
                'add of a site already there': traced(cli, folder, ['add', '--name', 'again', '--url', 'http://www7.example.jp/'], env, trace),
                'delete': traced(cli, folder, ['delete', '1'], env, trace),
            }
    failed = False
    for operation in costs[SIZES[0]]:
        small, large = costs[SIZES[0]][operation], costs[SIZES[-1]][operation]
        grew = large != small
        failed |= grew
        print('%s %s: files opened %d / %d, listing calls %d / %d (%d / %d sites)'
              % ('FAIL' if grew else 'ok  ', operation, small[0], large[0], small[1], large[1], SIZES[0], SIZES[-1]))
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
