#!/usr/bin/env python3
"""Recognition quality of the speech engine on synthetic voices, clean and in noise.

Every utterance of utterances.txt is spoken by each voice, mixed with noise at each signal-to-noise
ratio, heard by `kelvarnctl listen`, and counted right when the data folder ends as `kelvarnctl say`
with the intended text leaves it. Notes are scored by word error rate, and counted as executed
when hearing them caused any action (a grade, a focus change...). A chain or a note heard as more
than one utterance is counted as split.

  bench/speech/quality.py [--ctl KELVARNCTL] [--voices slt,en-gb] [--noises pink,babble,fan]
                          [--snr 20,15,10] [--kinds command,name] [--jobs N]
                          [--listen-arg=--command-end-ms=120] [--train N]
                          [--verbose] [--tsv FILE]

The signal-to-noise ratio is the speech's active level (the mean power of its 20 ms frames within
30 dB of the loudest) over the noise's mean power. Pink noise is sox's; babble is six synthetic
talkers reading other text at once; the fan is brown noise with a 120 Hz hum and a band of air.
A voice given in full (espeak:en-gb-scotland:160) is used even when not among the defaults.
With --train N, each voice first reads the first N sentences of training.txt and `kelvarnctl
train` adapts the recogniser to it; every utterance is then heard with that voice's profile.
Needs flite, espeak-ng and sox; about a second per utterance and job.
"""

import argparse
import array
import concurrent.futures
import math
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
RATE = 16000
VOICES = ["flite:slt", "flite:rms", "flite:awb", "espeak:en-us:175", "espeak:en-us:140",
          "espeak:en:160"]
BABBLE_TEXT = [
    "The library closes early on Fridays during the summer term, so plan your visits.",
    "I think the bus was late again this morning because of the roadworks on the bridge.",
    "Could you send me the slides from the lecture before the weekend, please?",
    "We ordered far too much food for the meeting and nobody took the leftovers home.",
    "The printer on the third floor has been jammed since Tuesday afternoon.",
    "My sister is moving to a new flat near the river at the end of the month.",
    "Remember that the deadline for the lab report moved to next Wednesday at noon.",
    "There is a concert in the park tonight if the weather stays dry enough.",
]


def run(args, **kw):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kw).stdout


def read_wav(path):
    with wave.open(path) as w:
        assert w.getsampwidth() == 2 and w.getnchannels() == 1 and w.getframerate() == RATE
        return array.array("h", w.readframes(w.getnframes()))


def write_wav(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(array.array("h", samples).tobytes())


def to_standard(src, dst, pad=0.0):
    cmd = ["sox", src, "-r", str(RATE), "-c", "1", "-b", "16", dst]
    if pad:
        cmd += ["pad", str(pad), str(pad)]
    run(cmd)


def speak(voice, text, dst, work):
    engine, name, *speed = voice.split(":")
    raw = os.path.join(work, f"raw-{os.getpid()}-{random.random()}.wav")
    if engine == "flite":
        run(["flite", "-voice", name, "-t", text, "-o", raw])
    else:
        run(["espeak-ng", "-v", name, "-s", speed[0] if speed else "160", "-w", raw, text])
    to_standard(raw, dst)
    os.remove(raw)


def active_power(samples):
    frame = RATE // 50
    powers = [sum(s * s for s in samples[i:i + frame]) / frame
              for i in range(0, len(samples) - frame + 1, frame)]
    loudest = max(powers, default=0)
    active = [p for p in powers if p >= loudest / 1000]
    return sum(active) / len(active) if active else 0


def mean_power(samples):
    return sum(s * s for s in samples) / max(1, len(samples))


def make_noises(work):
    """Sixty seconds of each noise at 16 kHz, from which each utterance takes a random stretch."""
    noises = {}
    pink = os.path.join(work, "pink.wav")
    run(["sox", "-n", "-r", str(RATE), "-c", "1", "-b", "16", pink, "synth", "60", "pinknoise",
         "vol", "0.3"])
    noises["pink"] = read_wav(pink)

    brown = os.path.join(work, "brown.wav")
    hum = os.path.join(work, "hum.wav")
    air = os.path.join(work, "air.wav")
    fan = os.path.join(work, "fan.wav")
    run(["sox", "-n", "-r", str(RATE), "-c", "1", "-b", "16", brown, "synth", "60", "brownnoise",
         "vol", "0.5"])
    run(["sox", "-n", "-r", str(RATE), "-c", "1", "-b", "16", hum, "synth", "60", "sine", "120",
         "vol", "0.05"])
    run(["sox", "-n", "-r", str(RATE), "-c", "1", "-b", "16", air, "synth", "60", "whitenoise",
         "sinc", "400-2500", "vol", "0.15"])
    run(["sox", "-m", brown, hum, air, fan])
    noises["fan"] = read_wav(fan)

    talkers = ["flite:slt", "flite:rms", "flite:awb", "flite:kal", "espeak:en-us:170",
               "espeak:en:150"]
    voices = []
    for n, talker in enumerate(talkers):
        parts = []
        rng = random.Random(n)
        while sum(len(p) for p in parts) < 60 * RATE:
            part = os.path.join(work, f"babble-{n}-{len(parts)}.wav")
            speak(talker, rng.choice(BABBLE_TEXT), part, work)
            parts.append(read_wav(part))
        joined = array.array("h")
        for p in parts:
            joined.extend(p)
        scale = 3000 / math.sqrt(max(1, active_power(joined)))
        voices.append([s * scale for s in joined[:60 * RATE]])
    noises["babble"] = [sum(v[i] for v in voices) for i in range(60 * RATE)]
    return noises


def mix(speech, noise, snr, rng):
    start = rng.randrange(0, len(noise) - len(speech))
    stretch = noise[start:start + len(speech)]
    gain = math.sqrt(active_power(speech) / max(1e-9, mean_power(stretch)) / 10 ** (snr / 10))
    return [max(-32768, min(32767, int(s + gain * n))) for s, n in zip(speech, stretch)]


def wer(reference, heard):
    ref = re.findall(r"[a-z']+", reference.lower())
    hyp = re.findall(r"[a-z']+", heard.lower())
    d = list(range(len(hyp) + 1))
    for i, r in enumerate(ref, 1):
        p, d[0] = d[0], i
        for j, h in enumerate(hyp, 1):
            p, d[j] = d[j], min(d[j] + 1, d[j - 1] + 1, p + (r != h))
    return d[len(hyp)] / max(1, len(ref))


class Bench:
    def __init__(self, options, work):
        self.ctl = options.ctl
        self.listen_args = options.listen_arg or []
        self.work = work
        self.base = os.path.join(work, "base")
        self.ctl_run("--data-dir", self.base, "roster", os.path.join(HERE, "roster.txt"))
        self.ctl_run("--data-dir", self.base, "comments", "import",
                     os.path.join(HERE, "comments.csv"))
        self.ctl_run("--data-dir", self.base, "say", "Nadia Ford")
        self.expected = {}
        self.bases = {}

    def train(self, voice, sentences):
        """Adapts a copy of the base folder to the voice; returns the seconds training took."""
        folder = self.copy_base(f"trained-{voice.replace(':', '_')}")
        args = []
        for n, text in enumerate(sentences):
            wav = os.path.join(self.work, f"training-{voice.replace(':', '_')}-{n}.wav")
            speak(voice, text, wav, self.work)
            args += ["--file", wav, "--text", text]
        start = time.monotonic()
        out = self.ctl_run("--data-dir", folder, "train", *args)
        seconds = time.monotonic() - start
        rejected = [line for line in out.splitlines() if line.startswith("rejected\t")]
        print(f"trained {voice} on {len(sentences)} sentences in {seconds:.1f} s, "
              f"{len(rejected)} rejected", file=sys.stderr)
        self.bases[voice] = folder
        return seconds

    def ctl_run(self, *args):
        return run([self.ctl, *args])

    def state(self, folder):
        return (subprocess.run([self.ctl, "--data-dir", folder, "export", "csv"],
                               capture_output=True, text=True).stdout +
                self.ctl_run("--data-dir", folder, "status"))

    def copy_base(self, name, voice=None):
        folder = os.path.join(self.work, name)
        shutil.copytree(self.bases.get(voice, self.base), folder)
        return folder

    def expected_state(self, text):
        if text not in self.expected:
            folder = self.copy_base(f"ref-{len(self.expected)}")
            self.ctl_run("--data-dir", folder, "say", text)
            self.expected[text] = self.state(folder)
            shutil.rmtree(folder)
        return self.expected[text]

    def hear(self, wav, tag, voice):
        folder = self.copy_base(f"heard-{tag}", voice)
        feed = self.ctl_run("--data-dir", folder, "listen", "--file", wav, *self.listen_args)
        utterances = [line.split("\t", 1)[1] for line in feed.splitlines()
                      if line.startswith("heard\t")]
        heard = " ".join(utterances)
        executed = any(line.startswith("action") for line in feed.splitlines())
        state = self.state(folder)
        shutil.rmtree(folder)
        return heard, executed, state, len(utterances) > 1


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--ctl", default=os.path.join(
        HERE, "..", "..", "build", "release", "tools", "kelvarnctl", "kelvarnctl"))
    parser.add_argument("--voices", default="", help="keep voices whose name contains one of these")
    parser.add_argument("--noises", default="pink,babble,fan")
    parser.add_argument("--snr", default="20,15,10")
    parser.add_argument("--kinds", default="command,name,chain,note,order,comment")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--listen-arg", action="append",
                        help="passed on to kelvarnctl listen, to compare settings")
    parser.add_argument("--train", type=int, default=0,
                        help="first adapt the recogniser to each voice on this many sentences")
    parser.add_argument("--verbose", action="store_true", help="what was heard, on stderr")
    parser.add_argument("--tsv", help="also write every utterance's result here")
    options = parser.parse_args()

    keep = [v for v in options.voices.split(",") if v]
    voices = [v for v in VOICES if not keep or any(k in v for k in keep)]
    voices += [k for k in keep if ":" in k and k not in voices]
    conditions = [("clean", None)] + [(n, float(s)) for n in options.noises.split(",") if n
                                      for s in options.snr.split(",") if s]
    utterances = []
    with open(os.path.join(HERE, "utterances.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line and not line.startswith("#"):
                kind, text = line.split("\t", 1)
                if kind in options.kinds.split(","):
                    utterances.append((kind, text))

    work = tempfile.mkdtemp(prefix="kelvarn-quality-")
    try:
        bench = Bench(options, work)
        noises = make_noises(work) if len(conditions) > 1 else {}
        spoken = {}
        for voice in voices:
            for n, (kind, text) in enumerate(utterances):
                path = os.path.join(work, f"said-{voice.replace(':', '_')}-{n}.wav")
                speak(voice, text, path, work)
                padded = path + ".padded.wav"
                to_standard(path, padded, pad=0.5)
                spoken[(voice, n)] = read_wav(padded)
        for kind, text in utterances:
            if kind != "note":
                bench.expected_state(text)
        if options.train:
            with open(os.path.join(HERE, "training.txt"), encoding="utf-8") as f:
                sentences = [line.strip() for line in f
                             if line.strip() and not line.startswith("#")][:options.train]
            for voice in voices:
                bench.train(voice, sentences)

        def one(job):
            voice, (condition, snr), n = job
            kind, text = utterances[n]
            samples = spoken[(voice, n)]
            if snr is not None:
                samples = mix(samples, noises[condition], snr, random.Random(f"{voice}{n}{snr}"))
            tag = f"{voice.replace(':', '_')}-{condition}-{snr}-{n}"
            wav = os.path.join(work, f"{tag}.wav")
            write_wav(wav, samples)
            heard, executed, state, split = bench.hear(wav, tag, voice)
            os.remove(wav)
            right = kind != "note" and state == bench.expected[text]
            return voice, condition, snr, kind, text, heard, right, executed, split

        jobs = [(v, c, n) for v in voices for c in conditions for n in range(len(utterances))]
        results = []
        with concurrent.futures.ThreadPoolExecutor(options.jobs) as pool:
            for result in pool.map(one, jobs):
                results.append(result)
                if options.verbose:
                    voice, condition, snr, kind, text, heard, right, *_ = result
                    print(f"  {voice} {condition} {snr or ''} | {kind} | {text} | {heard} | "
                          f"{'right' if right else 'WRONG' if kind != 'note' else ''}",
                          file=sys.stderr)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    if options.tsv:
        with open(options.tsv, "w", encoding="utf-8") as f:
            for r in results:
                f.write("\t".join(str(x) for x in r) + "\n")
    print("voice\tcondition\tcommand+name\tchain\tnote WER\tnotes executed\tchains split\t"
          "notes cut\tclass order\tcomments")
    for voice in voices + ["all"]:
        for condition, snr in conditions:
            rows = [r for r in results if voice in ("all", r[0]) and r[1:3] == (condition, snr)]
            print(f"{voice}\t{condition if snr is None else f'{condition} {snr:g} dB'}\t"
                  + summary(rows))


def summary(rows):
    intent = [r for r in rows if r[3] in ("command", "name")]
    chains = [r for r in rows if r[3] == "chain"]
    notes = [r for r in rows if r[3] == "note"]
    # "student N" and "next ungraded": apart, so that the other columns stay comparable.
    order = [r for r in rows if r[3] == "order"]
    comments = [r for r in rows if r[3] == "comment"]
    note_wer = sum(wer(r[4], r[5]) for r in notes) / max(1, len(notes))
    return (f"{percent(intent)}\t{percent(chains)}\t{note_wer:.2f}\t"
            f"{sum(r[7] for r in notes)}/{len(notes)}\t{sum(r[8] for r in chains)}/{len(chains)}\t"
            f"{sum(r[8] for r in notes)}/{len(notes)}\t{percent(order)}\t{percent(comments)}")


def percent(rows):
    return f"{round(100 * sum(r[6] for r in rows) / max(1, len(rows)))}% of {len(rows)}"


if __name__ == "__main__":
    main()
