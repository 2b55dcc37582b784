#!/usr/bin/env python3
"""Writes the hand-made seed inputs of the fuzz corpora.

Run from anywhere: python3 tests/fuzz/make_seeds.py. It rewrites only the
files named seed-*; inputs the fuzzer found (and the crash reproducers) sit
beside them under other names and are left alone.

The event-stream seeds for the talk target are written with the same
decisions fuzz_talk.cpp reads, one helper per event.
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
CORPUS = HERE / "corpus"
EXAMPLES = HERE.parent.parent / "examples" / "arena"


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    (folder / ("seed-" + name)).write_bytes(data)


def gold_record(amount, name):
    raw = name.encode("latin-1")[:20]
    return struct.pack("<I", amount & 0xFFFFFFFF) + raw + b"\0" * (20 - len(raw))


def inv_record(name, counts):
    raw = name.encode("latin-1")[:20]
    return raw + b"\0" * (20 - len(raw)) + struct.pack("<8i", *counts)


def file_seeds():
    accounts = [gold_record(120, "Bob"), gold_record(5, "alice"), gold_record(0xFFFFFFFF, "Rich"),
                gold_record(77, "BOB")]
    whole = b"".join(accounts)
    write("gold_dat", "accounts", whole)
    write("gold_dat", "empty", b"")
    write("gold_dat", "cut-short", whole[:-7])
    write("gold_dat", "stray-bytes", whole + b"\x01\x02\x03")
    write("gold_dat", "name-19-and-garbage",
          struct.pack("<I", 9) + b"N" * 19 + b"\0" + struct.pack("<I", 1) + b"A\0junk after nul\0\0\0")
    write("gold_dat", "unterminated-name", struct.pack("<I", 3) + b"Z" * 20)

    records = [inv_record("Bob", [1, 2, 3, 0, 0, 0, 0, 9]),
               inv_record("twenty-characters-xx", [0, 0, 0, 0, 0, 0, 0, 0]),
               inv_record("bob", [-1, 2147483647, -2147483648, 5, 5, 5, 5, 5])]
    whole = b"".join(records)
    write("inv_dat", "records", whole)
    write("inv_dat", "empty", b"")
    write("inv_dat", "cut-short", whole[:-11])
    write("inv_dat", "junk-after-nul", b"Al\0xxxxxxxxxxxxxxxxx" + struct.pack("<8i", *range(8)))

    ini = (EXAMPLES / "quorvel.ini").read_text()
    write("ini_reader", "example", "Settings\nInventory\n" + ini)
    write("ini_reader", "gold-kill", "gold\nKILL\n" + ini)
    write("ini_reader", "quoted", "Store\nArena\n[store]\r\n  Arena = \"  1234567890123456789 \"\r\n")
    write("ini_reader", "second-section", "A\nk\n[a]\nx=1\n[b]\nk=2\n[A]\nk=3\n")
    write("ini_reader", "comment-and-blank-key", "S\n;k\n[S]\n;k=1\n=2\n k \t= 'v'\n[")
    write("ini_reader", "not-numeric", "Settings\nAutoSave\n[Settings]\nAutoSave=99999999999\n"
          "Inventory=-\nMaxWarpTeams=+4\nMaxWarpAreas=2147483648\n[Gold]\nKill= 7 \n")

    write("ghoulset", "example", (EXAMPLES / "Ghoulset.ini").read_bytes())
    write("ghoulset", "sanctuary", "0 1\r\n1 4\r\n500 500 524 524")
    write("ghoulset", "short", "2 3\n")
    write("ghoulset", "huge-and-signs", "99999999999 -99999999999\n+4 -0\n1 2 1024 1025")
    write("ghoulset", "damaged", "0 1\n1 x4\n0 0 0 0")

    team = (EXAMPLES / "WarpTeam.ini").read_bytes()
    area = (EXAMPLES / "WarpArea.ini").read_bytes()
    # First byte: the count (byte % 24 - 2); second: insert switch (odd).
    write("warp_team", "example", bytes([4, 1]) + team)
    write("warp_team", "no-insert", bytes([4, 0]) + team)
    write("warp_team", "left-minus-one", bytes([3, 1]) + b"1 2 3 4 -1")
    write("warp_team", "bom-and-damage", bytes([6, 1]) + b"\xef\xbb\xbf400 512\n62x4 512\n")
    write("warp_team", "huge-count", bytes([0xF0]) + struct.pack("<i", 2147483647) + b"\x01" + team)
    write("warp_team", "out-of-range", bytes([5, 1]) + b"1 2147483648 3 4")
    write("warp_area", "example", bytes([3]) + area)
    write("warp_area", "two-areas", bytes([4]) + b"100 100 120 120 512 512\r\n0 0 10 10 -5 7\r\n")
    write("warp_area", "short", bytes([5]) + b"1 2 3 4 5")
    write("warp_area", "negative-count", bytes([0]) + area)
    write("warp_area", "huge-count", bytes([0xFF]) + struct.pack("<i", 2147483647) + area)
    write("warp_area", "not-a-number", bytes([4]) + b"1 2 3 4 5 6\n7 8 9 1O 11 12")


# The talk target's decisions.
COMMANDS = ["about", "alloff", "aradius", "awarpoff", "awarpon", "buy", "check", "givegold",
            "gold", "goldload", "goldsave", "gratio", "hide", "hship", "hteam", "inv", "invload",
            "invsave", "ioff", "ion", "iwarpoff", "iwarpon", "lendgold", "newpick", "notcheck",
            "playergold", "resetgold", "resetinv", "show", "shutup", "start", "status", "stop",
            "takegold", "twarpoff", "twarpon", "version", "zload", "zoff", "zon", "zsave",
            "zship", "zstatus", "zteam", "help"]
FILES = ["quorvel.ini", "WarpTeam.ini", "WarpArea.ini", "Ghoulset.ini", "gold.dat", "inv.dat",
         "gold.log"]


class Stream:
    def __init__(self, missing=0, minor_pick=0):
        self.out = bytearray([missing, minor_pick])
        self.players = []  # names in the host's list order

    def text(self, value):
        raw = value.encode("latin-1") if isinstance(value, str) else value
        self.out += bytes([len(raw)]) + raw

    def pixel(self, tile):
        self.out += bytes([0]) + struct.pack("<H", tile * 16 + 8)

    def enter(self, name, level=0, ship=0, team=0, x=512, y=512, squad="", antiwarp=False,
              flags=0):
        self.out += bytes([0, 0x80])
        self.text(name)
        self.out += bytes([level, ship, self.team_code(team)])
        self.text(squad)
        self.pixel(x)
        self.pixel(y)
        self.out += bytes([1 if antiwarp else 0, flags]) + struct.pack("<IHH", 0, 0, 0)
        self.players.append(name)

    @staticmethod
    def team_code(team):
        # 0 to 3 directly; 98 to 101 (private freqs from 100) by their own codes.
        return team if team < 4 else 0xE0 + (team - 98)

    def who(self, name):
        return bytes([self.players.index(name)])

    def leave(self, name):
        self.out += bytes([2]) + self.who(name)
        self.players.remove(name)

    def move(self, name, x, y, antiwarp=False):
        self.out += bytes([3]) + self.who(name)
        self.pixel(x)
        self.pixel(y)
        self.out += bytes([1 if antiwarp else 0])

    def kill(self, killed, killer):
        self.out += bytes([4]) + self.who(killed) + self.who(killer)

    def ship(self, name, ship):
        self.out += bytes([5]) + self.who(name) + bytes([ship])

    def spectate(self, name):
        self.out += bytes([6]) + self.who(name)

    def team(self, name, team):
        self.out += bytes([7]) + self.who(name) + bytes([self.team_code(team)])

    def tick(self, count):
        code = count - 1 if count <= 200 else 199 + count // 60
        self.out += bytes([8, code])

    def command(self, name, command, text=""):
        self.out += bytes([9]) + self.who(name) + bytes([COMMANDS.index(command), 0])
        self.text(text)

    def help(self, name, topic=""):
        self.out += bytes([12]) + self.who(name) + bytes([0])
        self.text(topic)

    def arena(self, text):
        self.out += bytes([13, 0, 0])
        self.text(text)

    def jackpot(self, number_text):
        self.out += bytes([13, 0, 1])
        self.text(number_text)

    def flag_win(self, team):
        self.out += bytes([14, 1, 1, team])

    def goal(self, team):
        self.out += bytes([14, 0, 1, team])

    def join(self, name):
        self.out += bytes([16]) + self.who(name)

    def carry(self, name, flags):
        self.out += bytes([17]) + self.who(name) + bytes([flags]) + struct.pack("<IHH", 3, 1, 1)
        self.out += bytes([0, 1]) + struct.pack("<HH", 512, 512)

    def edit(self, file_name, data):
        self.out += bytes([18, FILES.index(file_name), 0xFF])
        self.text(data)

    def reconnect(self):
        self.out += bytes([19, 0, 0])


def talk_seeds():
    s = Stream()
    s.enter("Bob")
    s.enter("Alice", level=2, ship=1, team=1)
    s.join("Alice")
    for _ in range(3):
        s.kill("Bob", "Alice")
        s.kill("Alice", "Bob")
    s.command("Bob", "gold")
    s.command("Bob", "buy")
    s.command("Alice", "givegold", "Bob:1000")
    s.command("Bob", "buy", "use guns")
    s.command("Bob", "buy", "inv thor")
    s.command("Bob", "inv", "thor")
    s.command("Bob", "lendgold", "Alice:50")
    s.command("Alice", "playergold", "Bob")
    s.command("Bob", "show")
    s.command("Bob", "buy", "arena hello zone")
    s.tick(301)
    s.command("Alice", "goldsave")
    s.command("Alice", "goldload")
    s.command("Alice", "invsave")
    s.command("Alice", "invload")
    s.leave("Bob")
    write("talk", "store", bytes(s.out))

    s = Stream()
    s.enter("Mod", level=2, ship=8)
    for i, name in enumerate(["Al", "Bo", "Cy", "Di"]):
        s.enter(name, ship=0, team=0, x=400 + i, y=512)
    s.command("Mod", "zon")
    s.tick(12)
    s.kill("Al", "Bo")
    s.kill("Cy", "Al")
    s.team("Di", 1)
    s.move("Di", 510, 510)
    s.tick(5)
    s.command("Mod", "zstatus")
    s.command("Mod", "zsave")
    s.command("Mod", "zship", "3")
    s.command("Mod", "zload")
    s.kill("Di", "Al")
    s.tick(30)
    s.command("Mod", "zoff")
    write("talk", "zombies", bytes(s.out))

    s = Stream()
    s.enter("Mod", level=3)
    s.enter("Hare", ship=2, team=0, x=300, y=300)
    s.enter("Fox", ship=3, team=1, x=700, y=700)
    s.command("Mod", "newpick")
    s.tick(3)
    s.move("Hare", 301, 299)
    s.command("Fox", "status")
    s.kill("Hare", "Fox")
    s.tick(601)
    s.spectate("Fox")
    s.leave("Hare")
    s.tick(5)
    s.command("Mod", "stop")
    s.command("Mod", "version")
    write("talk", "rabbit", bytes(s.out))

    s = Stream()
    s.enter("Mod", level=2)
    s.enter("Walker", ship=1, team=0, x=110, y=110)
    s.command("Mod", "check")
    s.command("Mod", "iwarpon")
    s.move("Walker", 110, 110)
    s.move("Walker", 20, 20)
    s.team("Walker", 1)
    s.ship("Walker", 5)
    s.kill("Walker", "Mod")
    s.move("Walker", 512, 512, antiwarp=True)
    s.command("Mod", "aradius", "15")
    s.command("Mod", "twarpoff")
    s.edit("WarpArea.ini", "100 100 120 120 x 512")
    s.move("Walker", 111, 111)
    s.edit("WarpTeam.ini", "400 512 -1")
    s.team("Walker", 0)
    s.command("Mod", "alloff")
    write("talk", "warps", bytes(s.out))

    s = Stream()
    s.enter("Red", ship=0, team=0, flags=2)
    s.enter("Blue", ship=1, team=1)
    s.enter("Priv", ship=2, team=101)
    s.carry("Priv", 1)
    s.tick(5)
    s.jackpot("1500")
    s.tick(6)
    s.flag_win(0)
    s.goal(1)
    s.jackpot("99999999999")
    s.arena("Current Jackpot")
    s.tick(900)
    s.command("Red", "gratio")
    s.help("Red")
    s.help("Red", "buy")
    write("talk", "flag-game", bytes(s.out))

    s = Stream()
    s.enter("Op", level=4)
    s.enter("Bob")
    s.kill("Bob", "Op")
    s.edit("gold.dat", b"\x05\0\0\0Bob" + b"\0" * 17 + b"\x01\x02")
    s.command("Op", "goldload")
    s.edit("inv.dat", b"Bob" + b"\0" * 10)
    s.command("Op", "invload")
    s.edit("Ghoulset.ini", "9")
    s.command("Op", "zload")
    s.edit("gold.log", "garbage\tline\n")
    s.edit("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=2\n[Gold]\nKill=x\n")
    s.reconnect()
    s.tick(3)
    s.command("Op", "resetgold")
    s.command("Op", "resetinv")
    s.help("Op", "all")
    s.help("Op", "sop")
    s.command("Op", "ioff")
    write("talk", "files", bytes(s.out))

    # The host restarts the bot twice: gold.dat must keep one record per
    # account (it once doubled at every restart).
    s = Stream()
    s.enter("Bob")
    s.enter("Al", team=1)
    s.kill("Al", "Bob")
    s.reconnect()
    s.kill("Al", "Bob")
    s.reconnect()
    s.command("Bob", "gold")
    write("talk", "reconnect", bytes(s.out))

    # No inv.dat yet: a player who comes back must find the record of the
    # first visit (a second one of the same name once lost the first's items).
    s = Stream()
    s.enter("Op", level=2)
    s.enter("Bob")
    s.command("Op", "givegold", "Bob:1000")
    s.command("Bob", "buy", "inv thor")
    s.leave("Bob")
    s.enter("Bob")
    s.command("Bob", "buy", "inv thor")
    s.command("Bob", "inv")
    write("talk", "inventory-comes-back", bytes(s.out))


if __name__ == "__main__":
    file_seeds()
    talk_seeds()
