#!/usr/bin/env python3
"""Keys for clang-tidy's clean results, in the manner of a compile cache.

  tidy_cache.py DATABASE ROOT SALT FILE...

prints "KEY FILE" per file. A key covers everything clang-tidy's answer for a
source depends on: the salt (clang-tidy's version, the checks, its extra
arguments), the compile command with the checkout's folder taken out (a fresh
clone elsewhere finds the same keys), and the text of the source and of every
header of ours it can reach through #include, followed through the command's
include folders inside the checkout. Headers from outside it (the system's,
Qt's, GoogleTest's) are covered by the installed packages' list, in the salt.
An include that cannot be found among ours is taken to be a system header;
reaching too many headers is harmless, it only costs a cache miss.
"""
import hashlib
import json
import os
import re
import shlex
import sys

INCLUDE = re.compile(rb'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def include_dirs(args, directory, root):
    quote, angle = [], []
    i = 0
    while i < len(args):
        a = args[i]
        for flag, lists in (("-iquote", (quote,)), ("-isystem", (angle,)), ("-I", (quote, angle))):
            if a == flag and i + 1 < len(args):
                path, i = args[i + 1], i + 1
            elif a.startswith(flag) and len(a) > len(flag):
                path = a[len(flag):]
            else:
                continue
            path = os.path.normpath(os.path.join(directory, path))
            if path.startswith(root + os.sep):
                for dirs in lists:
                    dirs.append(path)
            break
        i += 1
    return quote, angle


def closure(source, quote, angle, texts):
    seen, todo, found = set(), [source], []
    while todo:
        path = todo.pop()
        if path in seen:
            continue
        seen.add(path)
        if path not in texts:
            with open(path, "rb") as f:
                texts[path] = f.read()
        found.append(path)
        for kind, name in INCLUDE.findall(texts[path]):
            name = name.decode()
            dirs = ([os.path.dirname(path)] + quote) if kind == b'"' else angle
            for d in dirs:
                candidate = os.path.normpath(os.path.join(d, name))
                if os.path.isfile(candidate):
                    todo.append(candidate)
                    break
    return sorted(found)


def main():
    database, root, salt, files = sys.argv[1], os.path.realpath(sys.argv[2]), sys.argv[3], sys.argv[4:]
    with open(database) as f:
        entries = {os.path.normpath(os.path.join(e["directory"], e["file"])): e for e in json.load(f)}
    texts = {}
    for name in files:
        path = os.path.join(root, name)
        entry = entries[path]
        args = entry.get("arguments") or shlex.split(entry["command"])
        quote, angle = include_dirs(args, entry["directory"], root)
        digest = hashlib.sha256(salt.encode())
        digest.update(" ".join(args).replace(root, "@").encode())
        for header in closure(path, quote, angle, texts):
            digest.update(os.path.relpath(header, root).encode() + b"\0")
            digest.update(hashlib.sha256(texts[header]).digest())
        print(digest.hexdigest(), name)


if __name__ == "__main__":
    main()
