#!/usr/bin/env python3
"""Decodes each file given with Pillow (an independent reader) into FILE.ppm."""
import sys
from PIL import Image
for path in sys.argv[1:]:
    Image.open(path).convert("RGB").save(path + ".ppm")
