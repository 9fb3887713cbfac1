#!/usr/bin/env python3
"""Helpers of the PipeWire microphone rig.

  rig_tools.py lead-in IN.wav OUT.wav SECONDS
      OUT = SECONDS of IN's own quiet start (its first two seconds, repeated), then IN.
  rig_tools.py quiet IN.wav OUT.wav SECONDS
      OUT = SECONDS of IN's quiet start only.
  rig_tools.py score TRUTH.json RECOGNIZE.jsonl
      Scores recognize output against the ground truth and prints one JSON line.
      Reports are placed on the recording by following the shift between the
      two (a live capture starts at an unknown point and leaves out the moments
      between listens); "drift" is how much that shift grew.
  rig_tools.py dropouts PROFILER.log
      Counts the moments the sound server's graph missed its time, from
      pw-profiler's log: cycles in which a node did not finish (the audio of
      that cycle is lost or comes late). Consecutive such cycles count once.
"""
import json
import sys
import wave

QUIET_SAMPLES = 22050  # every corpus file starts with 2 s of room noise only


def read_wav(path):
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 1 or w.getnchannels() != 1:
            raise SystemExit(f"{path}: not 8-bit mono")
        return w.getframerate(), w.readframes(w.getnframes())


def write_wav(path, rate, data):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(1)
        w.setframerate(rate)
        w.writeframes(data)


def quiet_line(rate, data, seconds):
    quiet = data[:QUIET_SAMPLES]
    wanted = int(seconds * rate)
    return (quiet * (wanted // len(quiet) + 1))[:wanted]


def read_reports(path):
    reports = []
    with open(path) as f:
        for line in f:
            line = line.strip()
            if line.startswith("{"):
                reports.append(json.loads(line))
    return reports


def overlap(a0, a1, b0, b1):
    return min(a1, b1) - max(a0, b0)


def score(truth_path, output_path):
    truth = json.load(open(truth_path))
    spans = [(u["start"], u["end"], u["phrase"]) for u in truth["utterances"]]
    reports = read_reports(output_path)

    # A live device's stream holds only what was captured while the engine
    # listened: each reopening between utterances leaves a little out, so the
    # shift between report and recording grows. Follow it report by report,
    # starting from the first report against the first spoken utterance.
    mapped = []
    shift = spans[0][0] - reports[0]["start"] if reports and spans else 0
    first_shift = shift
    step = 0.0  # mean growth of the shift per report so far
    for n, r in enumerate(reports):
        begin = r["start"] + shift + step
        # The spoken utterance starting nearest; gaps between them are 0.7 s or more,
        # and a busy machine may take half a second to reopen the device.
        best = min(spans, key=lambda s: abs(s[0] - begin), default=None)
        if best and abs(best[0] - begin) < 0.6 * 11025:
            shift = best[0] - r["start"]
            step = (shift - first_shift) / n if n else 0.0
            begin = r["start"] + shift
        mapped.append((begin, begin + r["length"], r))
    drift = shift - first_shift

    if len(reports) == len(spans):
        # One report for every spoken utterance: they pair in order, whatever
        # the drift (a loaded machine may lose most of a second per reopening).
        mapped = [(s[0], s[1], r) for s, r in zip(spans, reports)]

    correct = undetected = false_accepts = in_vocabulary = out_of_vocabulary = 0
    for start, end, phrase in spans:
        best, best_overlap = None, 0
        for begin, finish, r in mapped:
            o = overlap(begin, finish, start, end)
            if o > best_overlap:
                best, best_overlap = r, o
        recognised = best["phrase"] if best and best["slot"] > 0 else ""
        if phrase is not None:
            in_vocabulary += 1
            correct += recognised == phrase
            undetected += best is None
        else:
            out_of_vocabulary += 1
            false_accepts += recognised != ""
    right = correct + out_of_vocabulary - false_accepts
    print(json.dumps({"right": right, "of": len(spans), "correct": correct, "in_vocabulary": in_vocabulary,
                      "false_accepts": false_accepts, "out_of_vocabulary": out_of_vocabulary,
                      "undetected": undetected, "reports": len(reports), "drift": drift}))


# pw-profiler writes one line per cycle: four fields of the driver, then eight
# for each node it drove (id, four timings, status, two more).
DRIVER_FIELDS = 4
NODE_FIELDS = 8
NODE_STATUS = 6
FINISHED = "3"


def dropouts(profile_path):
    count = 0
    in_dropout = False
    with open(profile_path) as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            statuses = [fields[i].strip() for i in range(DRIVER_FIELDS + NODE_STATUS, len(fields), NODE_FIELDS)]
            statuses = [s for s in statuses if s]
            dropped = any(s != FINISHED for s in statuses)
            count += dropped and not in_dropout
            in_dropout = dropped
    print(count)


def main(argv):
    if len(argv) == 5 and argv[1] in ("lead-in", "quiet"):
        rate, data = read_wav(argv[2])
        quiet = quiet_line(rate, data, float(argv[4]))
        write_wav(argv[3], rate, quiet + data if argv[1] == "lead-in" else quiet)
    elif len(argv) == 4 and argv[1] == "score":
        score(argv[2], argv[3])
    elif len(argv) == 3 and argv[1] == "dropouts":
        dropouts(argv[2])
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
