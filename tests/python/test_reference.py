"""The reference (docs/reference.md and the docstrings) against the header."""

import os
import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


def test_reference_is_what_the_tables_make():
    result = subprocess.run([sys.executable, str(ROOT / "tools/reference/make_reference.py"),
                             "--check", str(ROOT)], capture_output=True, text=True,
                            env={**os.environ})
    assert result.returncode == 0, result.stderr


def test_reference_covers_every_declaration_of_the_header():
    header = (ROOT / "ivic/Korvane.h").read_text()
    reference = (ROOT / "docs/reference.md").read_text()
    attributes = re.findall(r"^#define ((?:IVI|KORVANE)_ATTR_\w+) \(", header, re.M)
    functions = re.findall(r"KORVANE_API ViStatus (\w+)\(", header)
    assert len(attributes) == 47 and len(functions) > 40
    rows = re.findall(r"^\| \d+ \| `(\w+)` \| `(Vi\w+)` \| (read[^|]*|write[^|]*) \|", reference, re.M)
    assert sorted(name for name, _, _ in rows) == sorted(attributes)
    documented = re.findall(r"^### `(\w+)`\n\n`ViStatus \1\(", reference, re.M)
    assert documented == functions
