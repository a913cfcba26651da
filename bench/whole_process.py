#!/usr/bin/env python3
"""The desk's pages as a person waits for them: whole processes.

For each ledger size, the headless desk (`orderdesk --dir D --script S`)
doing one page against the `sqlite3` command doing the same selects on the
same generated rows (list_fill_bench's files) and printing them to
/dev/null. Each time is the best of five runs minus that program's own
start-up (an empty script / an empty query); the runs of both programs
alternate, page by page, so a busy machine disturbs both alike. Also:
the desk's private memory (RssAnon) with each page's list shown, and its
start-up with the size's ledger.

    bench/whole_process.py [--build build-rel] [--runs 5] [sizes...]
        (default sizes: 100000 1000000)

Needs the `sqlite3` command (Debian: apt-get install sqlite3) and the
release build's orderdesk and list_fill_bench. Prints markdown tables.
"""

import argparse
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import time

# Column sets of the lists (1-based fields), as the desk shows them.
SET_A = [2, 1, 3, 4, 5, 11, 8, 9, 18]
SET_B = [2, 1, 3, 4, 5, 12, 8, 9, 18]
SET_E = [2, 1, 3, 4, 5, 11, 8, 9, 18, 12, 13, 14, 15, 16, 17, 20]
DEPOSITS = [2, 1, 3, 4, 5, 11, 7, 8, 9, 18, 12, 13, 14]
PICKUPS = [2, 1, 3, 4, 5, 7, 21, 11, 8, 9, 18, 12, 13, 14]

FIRST_DAY = 44197  # 2021-01-01, where the generated ledgers begin
DAYS = 5 * 365


def gbk(text):
    """A GBK text literal for SQLite (the generated file holds GBK bytes)."""
    return "CAST(X'%s' AS TEXT)" % text.encode("gbk").hex()


def day(serial):
    return datetime.date(1899, 12, 30) + datetime.timedelta(days=int(serial))


def serial(date):
    return (date - datetime.date(1899, 12, 30)).days


def select(columns, where):
    return "SELECT %s FROM ledger WHERE %s;" % (
        ", ".join("f%d" % c for c in columns), where)


def in_range(field, first, last):
    """Orders whose field lies on the days first..last (dates)."""
    return "f%d >= %d AND f%d < %d" % (field, serial(first), field, serial(last) + 1)


def pages():
    """(name, desk script, SQL, [(list, rows added after the records)])."""
    month_from = day(FIRST_DAY + DAYS // 2)
    month_to = month_from + datetime.timedelta(days=29)
    all_from, all_to = datetime.date(2020, 12, 1), datetime.date(2026, 1, 31)
    year_from, year_to = datetime.date(2023, 1, 1), datetime.date(2023, 12, 31)

    def date_query(first, last):
        where = in_range(11, first, last)
        return ("page 选择夹1 1\ndate 开始日期框 %s\ndate 结束日期框 %s\nclick 按日期查询\n"
                % (first, last),
                select(SET_E, where) +
                " SELECT count(*), sum(f4), sum(f5), sum(f6), sum(f7) - sum(f22), sum(f22)"
                " FROM ledger WHERE %s;" % where)

    month = date_query(month_from, month_to)
    five = date_query(all_from, all_to)
    deposits, pickups = in_range(11, year_from, year_to), in_range(13, year_from, year_to)
    return [
        ("arrival (not arrived)",
         "page 选择夹1 2\ntype 到货淘宝单号\nclick 到货查找\n",
         select(SET_A, "f18 = " + gbk("没到货")), [("到货超级列表框", 0)]),
        ("pickup (arrived)",
         "page 选择夹1 3\ntype 提货订购单号\nclick 提货查找\n",
         select(SET_B, "f18 = " + gbk("已到货")), [("提货超级列表框", 0)]),
        ("query by customer name",
         "page 选择夹1 1\ntype 查询订购客户姓名 顾客1234\nclick 按客户姓名查询\n",
         select(SET_E, "f8 = " + gbk("顾客1234")), [("查询超级列表框1", 0)]),
        ("query by date, one month", month[0], month[1], [("查询超级列表框1", 2)]),
        ("query by date, five years, with totals", five[0], five[1], [("查询超级列表框1", 2)]),
        ("fund page, one year (two lists)",
         "page 选择夹1 7\ndate 资金开始日期框 %s\ndate 资金结束日期框 %s\nclick 资金查询\n"
         % (year_from, year_to),
         select(DEPOSITS, deposits) + select(PICKUPS, pickups) +
         " SELECT sum(f7), sum(CASE WHEN f18 = %s THEN f22 ELSE 0 END) FROM ledger WHERE %s;"
         % (gbk("悔单"), deposits) +
         " SELECT sum(f21) FROM ledger WHERE %s;" % pickups,
         [("订金查询超级列表框", 0), ("提货余款查询超级列表框", 0)]),
    ]


def timed(command, stdin_text=None):
    started = time.perf_counter()
    result = subprocess.run(command, input=stdin_text, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    took = (time.perf_counter() - started) * 1000
    if result.returncode != 0:
        sys.exit("%s: status %d\n%s" % (command[0], result.returncode, result.stderr))
    return took


def private_kb(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("RssAnon:"):
                return int(line.split()[1])
    return -1


def desk_checked(desk, folder, script_text, lists):
    """Runs the page through a pipe; once it is done, notes the desk's
    private memory and the rows of each list (the desk then ends)."""
    process = subprocess.Popen([desk, "--dir", folder, "--script", "-"], stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, text=True, encoding="utf-8")
    process.stdin.write(script_text + "dump-status\n")
    process.stdin.flush()
    transcript = []
    for line in process.stdout:
        transcript.append(line)
        if line.startswith("status "):
            break
    memory = private_kb(process.pid)
    rows = []
    for name, _ in lists:
        process.stdin.write("dump-list %s\n" % name)
        process.stdin.flush()
        header = process.stdout.readline()
        count = int(header.rsplit("rows=", 1)[1])
        for _ in range(count):
            process.stdout.readline()
        rows.append(count)
    process.stdin.close()
    transcript += process.stdout.readlines()
    if process.wait() != 0 or any(l.startswith(("IGNORED", "SCRIPT-ERROR", "ERROR"))
                                  for l in transcript):
        sys.exit("desk failed:\n" + "".join(transcript))
    return memory, rows


def sql_rows(sqlite, database, sql):
    """Rows of each SELECT (the totals selects give one row each)."""
    out = subprocess.run([sqlite, database, sql.replace("SELECT ", "SELECT count(*) FROM (SELECT ")
                          .replace(";", ");")], capture_output=True, text=True, check=True)
    return [int(line) for line in out.stdout.split()]


def run_size(size, args, here):
    made = subprocess.run([os.path.join(args.build, "bench", "list_fill_bench"), "--generate",
                           str(size)], capture_output=True, text=True, check=True)
    pristine = made.stdout.strip().splitlines()[-1]
    folder = os.path.join(here, str(size))
    shutil.copytree(pristine, folder)
    desk = os.path.join(args.build, "app", "orderdesk")
    database = os.path.join(folder, "desk.sqlite")
    empty_script = os.path.join(here, "empty.txt")
    open(empty_script, "w").close()
    page_list = pages()
    scripts = []
    for i, (_, script, _, _) in enumerate(page_list):
        path = os.path.join(here, "page%d.txt" % i)
        with open(path, "w", encoding="utf-8") as f:
            f.write(script)
        scripts.append(path)

    # The folder's first start makes the day's backup (seconds at 1 000 000
    # records); made here, it stays out of the first page's memory and of
    # the timed runs.
    timed([desk, "--dir", folder, "--script", empty_script])

    # What each page lists, the desk's memory with it shown, both checked.
    memory = []
    for name, script, sql, lists in page_list:
        kb, rows = desk_checked(desk, folder, script, lists)
        expected = sql_rows(args.sqlite, database, sql)
        for (list_name, added), got, want in zip(lists, rows, expected):
            if got != want + added:
                sys.exit("%s: the desk lists %d rows, SQLite %d" % (name, got, want + added))
        memory.append((kb, sum(expected[:len(lists)])))

    best = {}

    def note(key, ms):
        best[key] = min(best.get(key, 1e300), ms)

    for _ in range(args.runs):
        note("desk start", timed([desk, "--dir", folder, "--script", empty_script]))
        note("sql start", timed([args.sqlite, database, ""]))
        for i, (_, _, sql, _) in enumerate(page_list):
            note(("desk", i), timed([desk, "--dir", folder, "--script", scripts[i]]))
            note(("sql", i), timed([args.sqlite, database, sql]))

    rows = []
    for i, (name, _, _, _) in enumerate(page_list):
        desk_ms = best[("desk", i)] - best["desk start"]
        sql_ms = best[("sql", i)] - best["sql start"]
        rows.append((name, memory[i][1], desk_ms, sql_ms, memory[i][0]))
    shutil.rmtree(folder)
    return rows, best["desk start"], best["sql start"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build-rel")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--sqlite", default=shutil.which("sqlite3") or "sqlite3")
    parser.add_argument("sizes", nargs="*", type=int, default=[100000, 1000000])
    args = parser.parse_args()
    if not shutil.which(args.sqlite):
        sys.exit("the sqlite3 command is needed (Debian: apt-get install sqlite3)")
    version = subprocess.run([args.sqlite, "--version"], capture_output=True, text=True).stdout
    print("load average before: %s" % open("/proc/loadavg").read().strip())
    print("sqlite3 %s" % version.split()[0])
    print()
    print("| records | page | rows | desk (ms) | SQLite (ms) | desk / SQLite |"
          " desk private memory (MB) |")
    print("|---|---|---|---|---|---|---|")
    here = tempfile.mkdtemp(prefix="whole_process_")
    starts = []
    by_size = {}
    try:
        for size in args.sizes:
            rows, desk_start, sql_start = run_size(size, args, here)
            by_size[size] = rows
            starts.append((size, desk_start, sql_start))
            for name, count, desk_ms, sql_ms, kb in rows:
                print("| %d | %s | %d | %.1f | %.1f | %.2f | %.1f |" % (
                    size, name, count, desk_ms, sql_ms, desk_ms / sql_ms, kb / 1024))
            sys.stdout.flush()
    finally:
        shutil.rmtree(here)
    print()
    print("| records | desk start-up, empty script (ms) | sqlite3 start-up, empty query (ms) |")
    print("|---|---|---|")
    for size, desk_start, sql_start in starts:
        print("| %d | %.1f | %.1f |" % (size, desk_start, sql_start))
    sizes = sorted(by_size)
    if len(sizes) >= 2:
        small, big = sizes[0], sizes[-1]
        print()
        print("| page | desk at %d / at %d |" % (big, small))
        print("|---|---|")
        for a, b in zip(by_size[small], by_size[big]):
            print("| %s | %.1f |" % (a[0], b[2] / a[2]))
    print()
    print("load average after: %s" % open("/proc/loadavg").read().strip())


if __name__ == "__main__":
    main()
