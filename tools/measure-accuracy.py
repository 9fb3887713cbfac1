#!/usr/bin/env python3
"""Trains and recognises every speaker of corpus folders with larkspur-cli and
prints a per-speaker table for each matcher.

usage: tools/measure-accuracy.py [--cli build/cli/larkspur-cli] [--matcher specified,enhanced]
                                 [--jobs 2] [--keep DIR] CORPUS_FOLDER...

A corpus folder is either one speaker (train/ and test/ inside) or a set of
speakers (a vocabulary.json beside one folder per speaker). The vocabulary is
looked up in the folder itself, then in its parent. Each test utterance counts
once: correct when a recognition overlapping its span names its phrase,
substituted when one names another phrase, missed otherwise (not detected or
rejected). Out-of-vocabulary utterances (phrase null) count as accepted when
any recognition overlaps them. RTF is recognize's wall time over the audio
time of the test files."""

import argparse
import concurrent.futures
import json
import os
import subprocess
import sys
import tempfile
import time
import wave


def load_vocabulary(folder):
    for place in (folder, os.path.dirname(os.path.abspath(folder))):
        path = os.path.join(place, "vocabulary.json")
        if os.path.exists(path):
            with open(path) as f:
                return json.load(f)
    raise SystemExit("no vocabulary.json for " + folder)


def speakers_of(folder):
    if os.path.isdir(os.path.join(folder, "train")):
        return [folder]
    return sorted(os.path.join(folder, d) for d in os.listdir(folder)
                  if os.path.isdir(os.path.join(folder, d, "train")))


def run_speaker(cli, matcher, speaker, vocabulary, workdir):
    name = os.path.basename(os.path.normpath(speaker))
    table = os.path.join(workdir, f"{name}-{matcher}.EAR")
    trained = 0
    for entry in vocabulary:
        wav = os.path.join(speaker, "train", entry["train_file"])
        r = subprocess.run([cli, "train", "--table", table, "--phrase", entry["phrase"],
                            "--action", entry["phrase"], "--input", wav, "--matcher", matcher],
                           capture_output=True, text=True)
        if r.returncode == 0:
            trained += 1
        elif r.returncode != 1:
            raise SystemExit(f"train failed ({r.returncode}): {r.stderr}")
    stats = dict(speaker=name, matcher=matcher, trained=trained, commands=len(vocabulary), correct=0,
                 substituted=0, missed=0, total=0, oov=0, oov_accepted=0, audio_s=0.0, wall_s=0.0)
    test_dir = os.path.join(speaker, "test")
    for test in sorted(f for f in os.listdir(test_dir) if f.endswith(".wav")):
        wav = os.path.join(test_dir, test)
        with open(wav[:-4] + ".json") as f:
            truth = json.load(f)
        with wave.open(wav) as w:
            stats["audio_s"] += w.getnframes() / w.getframerate()
        began = time.perf_counter()
        r = subprocess.run([cli, "recognize", "--table", table, "--input", wav, "--matcher", matcher],
                           capture_output=True, text=True)
        stats["wall_s"] += time.perf_counter() - began
        if r.returncode != 0:
            raise SystemExit(f"recognize failed ({r.returncode}): {r.stderr}")
        answers = [json.loads(line) for line in r.stdout.splitlines() if line.startswith("{")]
        for u in truth["utterances"]:
            hits = [a for a in answers if a["slot"] > 0 and a["start"] < u["end"]
                    and a["start"] + a["length"] > u["start"]]
            if u["phrase"] is None:
                stats["oov"] += 1
                stats["oov_accepted"] += 1 if hits else 0
                continue
            stats["total"] += 1
            if any(a["phrase"] == u["phrase"] for a in hits):
                stats["correct"] += 1
            elif hits:
                stats["substituted"] += 1
            else:
                stats["missed"] += 1
    return stats


def print_table(rows):
    print(f"{'speaker':<10} {'matcher':<9} {'trained':>7} {'correct':>13} {'subst':>5} {'missed':>6} "
          f"{'oov acc':>8} {'RTF':>7}")
    totals = {}
    for s in rows:
        pct = 100.0 * s["correct"] / s["total"] if s["total"] else 0.0
        oov = f"{s['oov_accepted']}/{s['oov']}" if s["oov"] else "-"
        print(f"{s['speaker']:<10} {s['matcher']:<9} {s['trained']:>3}/{s['commands']:<3} "
              f"{s['correct']:>4}/{s['total']:<3} {pct:5.1f}% {s['substituted']:>5} {s['missed']:>6} "
              f"{oov:>8} {s['wall_s'] / s['audio_s']:7.4f}")
        t = totals.setdefault(s["matcher"], dict(speaker="all", matcher=s["matcher"]))
        for k, v in s.items():
            if isinstance(v, (int, float)):
                t[k] = t.get(k, 0) + v
    for t in totals.values():
        pct = 100.0 * t["correct"] / t["total"] if t["total"] else 0.0
        oov = f"{t['oov_accepted']}/{t['oov']}" if t["oov"] else "-"
        print(f"{'all':<10} {t['matcher']:<9} {t['trained']:>3}/{t['commands']:<3} "
              f"{t['correct']:>4}/{t['total']:<3} {pct:5.1f}% {t['substituted']:>5} {t['missed']:>6} "
              f"{oov:>8} {t['wall_s'] / t['audio_s']:7.4f}")


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    p.add_argument("--cli", default=os.path.join(here, "build", "cli", "larkspur-cli"))
    p.add_argument("--matcher", default="specified,enhanced")
    p.add_argument("--jobs", type=int, default=2)
    p.add_argument("--keep", help="folder for the trained tables (default: a temporary one)")
    p.add_argument("folders", nargs="+")
    a = p.parse_args()
    workdir = a.keep or tempfile.mkdtemp(prefix="larkspur-measure-")
    os.makedirs(workdir, exist_ok=True)
    jobs = []
    with concurrent.futures.ThreadPoolExecutor(a.jobs) as pool:
        for folder in a.folders:
            vocabulary = load_vocabulary(folder)
            for matcher in a.matcher.split(","):
                for speaker in speakers_of(folder):
                    jobs.append(pool.submit(run_speaker, a.cli, matcher, speaker, vocabulary, workdir))
        rows = [j.result() for j in jobs]
    rows.sort(key=lambda s: (s["matcher"] != "specified", s["speaker"]))
    print_table(rows)
    if not a.keep:
        for f in os.listdir(workdir):
            os.remove(os.path.join(workdir, f))
        os.rmdir(workdir)


if __name__ == "__main__":
    sys.exit(main())
