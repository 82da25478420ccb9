#!/usr/bin/env python3
"""Writes korvane's manual page and bash completion from its own command line.

    cli_docs.py TREE.json EXIT_CODES.h VERSION --man korvane.1 --completion korvane.bash

TREE.json is the output of `korvane --command-tree`; EXIT_CODES.h is
tools/korvane/exit_codes.h, whose enumerators and their comments are the exit
statuses. What the parser does not know (the environment and the files
korvane reads) is kept here, in ENVIRONMENT and FILES.
"""

from __future__ import annotations

import argparse
import json
import re
from pathlib import Path

ENVIRONMENT = [
    ("KORVANE_VIRTUAL_CHASSIS",
     "Turns the virtual chassis on: 1, or a comma-separated list of the resources it serves "
     "(by default PXI0::0::INSTR). korvane --virtual sets it to 1 for one run."),
    ("KORVANE_CHASSIS_SCENARIO",
     "A scenario file the virtual chassis starts from (values, alarms, injected failures), "
     "and starts from again when the file is edited while korvane runs (watch, serve)."),
    ("KORVANE_IVI_CONFIG", "The IVI configuration store file, before the user's own."),
    ("KORVANE_REGISTRY", "The registry file of COM registrations (default ~/.config/korvane/registry)."),
    ("KORVANE_REGISTRY_LOCK_TIMEOUT_MS",
     "How long a registry writer waits for another's lock, in milliseconds (default 10000)."),
    ("NO_COLOR", "When set, the health table is never coloured."),
    ("XDG_CONFIG_HOME", "Where the configuration store and the registry live (default ~/.config)."),
]

FILES = [
    ("~/.config/korvane/IviConfigurationStore.ini",
     "The user's IVI configuration store (logical names, sessions); see korvane config check."),
    ("~/.config/korvane/registry", "The registry of COM registrations on Linux."),
    ("/usr/share/korvane/status.schema.json", "The JSON schema of status --json."),
    ("/usr/share/korvane/trace.xslt", "The stylesheet that renders a call trace as a page."),
]


# --- the command tree ------------------------------------------------------------------------

def commands(node: dict, path: tuple = ()) -> list:
    """Every subcommand below node, depth first, as (path, node)."""
    found = []
    for sub in node["subcommands"]:
        sub_path = path + (sub["name"],)
        found.append((sub_path, sub))
        found.extend(commands(sub, sub_path))
    return found


def exit_codes(header: str) -> list:
    codes = []
    for name, value, comment in re.findall(r"(kExit\w+) = (\d+),\s*(?://\s*(.*))?", header):
        codes.append((int(value), comment.strip() or "success"))
    return codes


# --- the manual page -------------------------------------------------------------------------

def roff(text: str) -> str:
    """Text for roff: backslashes escaped, no line starting with a control character."""
    text = text.replace("\\", "\\e")
    return "\n".join("\\&" + line if line[:1] in (".", "'") else line for line in text.split("\n"))


def option_term(option: dict) -> str:
    if option["positional"]:
        return f"\\fI{roff(option['name'])}\\fR"
    names = ", ".join("\\fB" + roff(name).replace("-", "\\-") + "\\fR" for name in option["names"])
    return names + (f" \\fI{roff(option['value'])}\\fR" if option["value"] else "")


def option_list(options: list) -> list:
    lines = []
    for option in options:
        lines += [".TP", option_term(option), roff(option["description"] or "")]
    return lines


def usage(path: tuple, node: dict) -> str:
    words = " ".join(f"\\fB{roff(word)}\\fR" for word in path)
    arguments = " ".join(
        (f"\\fI{roff(o['name'])}\\fR" if o["required"] else f"[\\fI{roff(o['name'])}\\fR]")
        for o in node["options"] if o["positional"])
    flags = "[\\fIoptions\\fR]" if any(not o["positional"] for o in node["options"]) else ""
    return " ".join(filter(None, ["\\fBkorvane\\fR", words, flags, arguments]))


def manual_page(tree: dict, codes: list, version: str) -> str:
    summary = re.sub(r"^korvane:\s*", "", tree["description"]).rstrip(".")
    lines = [
        f'.TH KORVANE 1 "" "korvane {version}" "User Commands"',
        ".SH NAME", f"korvane \\- {roff(summary)}",
        ".SH SYNOPSIS",
        "\\fBkorvane\\fR [\\fIoptions\\fR] \\fIcommand\\fR [\\fIcommand options\\fR]",
        ".SH DESCRIPTION",
        "korvane reads the health of a Q7730A PXI Express chassis through the Korvane driver's",
        "IVI\\-C face, sets and clears its alarms, routes its PXI trigger lines, runs its self",
        "test, checks IVI configuration store files and renders the driver's call traces.",
        "The options below apply to every command and may also follow the command.",
        ".SH OPTIONS",
        *option_list(tree["options"]),
        ".SH COMMANDS",
    ]
    for path, node in commands(tree):
        lines += [".SS " + '"' + " ".join(path) + '"', usage(path, node), ".PP",
                  roff(node["description"])]
        if node["options"]:
            lines += [".RS", *option_list(node["options"]), ".RE"]
    lines += [".SH EXIT STATUS"]
    for value, meaning in codes:
        lines += [".TP", f"\\fB{value}\\fR", roff(meaning[:1].upper() + meaning[1:]) + "."]
    lines += [".SH ENVIRONMENT"]
    for name, meaning in ENVIRONMENT:
        lines += [".TP", f"\\fB{name}\\fR", roff(meaning)]
    lines += [".SH FILES"]
    for name, meaning in FILES:
        lines += [".TP", f"\\fI{roff(name)}\\fR", roff(meaning)]
    footer = tree.get("footer", "").strip()
    if footer:
        lines += [".SH EXAMPLES", ".nf", roff(footer), ".fi"]
    lines += [".SH SEE ALSO", "\\fBkorvane\\-regsvr\\fR(1)"]
    return "\n".join(lines) + "\n"


# --- the bash completion ---------------------------------------------------------------------

def bash_words(words: list) -> str:
    return '"' + " ".join(words) + '"'


def completion(tree: dict) -> str:
    # Keys are command paths: "_" the program itself, "_ trigger connect" below it.
    subcommands = {"_": [sub["name"] for sub in tree["subcommands"]]}
    options = {"_": [name for o in tree["options"] for name in o["names"]]}
    values = {}  # "path|option": the kind of value it takes
    for o in tree["options"]:
        for name in o["names"]:
            if o["value"]:
                values["_|" + name] = o["value"]
    for path, node in commands(tree):
        key = " ".join(("_",) + path)
        subcommands[key] = [sub["name"] for sub in node["subcommands"]]
        options[key] = [name for o in node["options"] for name in o["names"]]
        for o in node["options"]:
            for name in o["names"]:
                if o["value"] and not o["positional"]:
                    values[key + "|" + name] = o["value"]

    def table(name: str, entries: dict) -> list:
        return [f"  local -A {name}=("] + [
            f"    [{json.dumps(key)}]={bash_words(value) if isinstance(value, list) else json.dumps(value)}"
            for key, value in entries.items()] + ["  )"]

    return "\n".join([
        "# bash completion for korvane, generated from its command line (korvane --command-tree).",
        "_korvane() {",
        *table("subcommands", subcommands),
        *table("options", options),
        *table("values", values),
        '  local cur=${COMP_WORDS[COMP_CWORD]} path=_ word i kind',
        "  COMPREPLY=()",
        "  # The command path typed so far; an option's value is skipped.",
        "  for ((i = 1; i < COMP_CWORD; i++)); do",
        "    word=${COMP_WORDS[i]}",
        '    if [[ " ${subcommands[$path]} " == *" $word "* ]]; then',
        '      path="$path $word"',
        '    elif [[ -n ${values[$path|$word]:-${values[_|$word]:-}} ]]; then',
        "      ((i++))",
        "    fi",
        "  done",
        '  word=${COMP_WORDS[COMP_CWORD-1]}',
        '  kind=${values[$path|$word]:-${values[_|$word]:-}}',
        '  if ((COMP_CWORD > 1)) && [[ -n $kind ]]; then',
        '    [[ $kind == FILE ]] && mapfile -t COMPREPLY < <(compgen -f -- "$cur")',
        "    return 0",
        "  fi",
        '  if [[ $cur == -* ]]; then',
        '    # The program\'s own options also follow a command.',
        '    word=${options[$path]}',
        '    [[ $path == _ ]] || word+=" ${options[_]}"',
        '    mapfile -t COMPREPLY < <(compgen -W "$word" -- "$cur")',
        "  else",
        '    mapfile -t COMPREPLY < <(compgen -W "${subcommands[$path]}" -- "$cur")',
        "  fi",
        "}",
        "complete -F _korvane korvane",
    ]) + "\n"


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("tree", type=Path)
    parser.add_argument("exit_codes", type=Path)
    parser.add_argument("version")
    parser.add_argument("--man", type=Path, required=True)
    parser.add_argument("--completion", type=Path, required=True)
    args = parser.parse_args()
    tree = json.loads(args.tree.read_text(encoding="utf-8"))
    args.man.write_text(manual_page(tree, exit_codes(args.exit_codes.read_text()), args.version),
                        encoding="utf-8")
    args.completion.write_text(completion(tree), encoding="utf-8")


if __name__ == "__main__":
    main()
