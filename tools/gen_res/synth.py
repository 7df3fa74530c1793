"""A small synthesiser for the sound effects.

Every sound is a function of time built from a few parts: oscillators with a
gliding pitch, white noise through a resonant filter, and envelopes. Noise is
drawn from a seeded generator so that the files come out the same on every
run. Samples are floats in -1 .. 1 until they are written.
"""

import math
import random

TAU = 2 * math.pi


def env_ad(t, attack, decay):
    """Rises linearly for `attack` seconds, then falls exponentially."""
    if t < attack:
        return t / attack
    return math.exp(-(t - attack) / decay)


def fade(i, n, edge=64):
    """Short ramps at both ends so no sound starts or stops with a click."""
    return min(1.0, i / edge, (n - 1 - i) / edge) if n > 1 else 0.0


class Osc:
    """A phase-accumulating oscillator: the pitch may change every sample."""

    def __init__(self, rate):
        self.rate = rate
        self.phase = 0.0

    def step(self, freq):
        self.phase = (self.phase + freq / self.rate) % 1.0
        return self.phase

    def sine(self, freq):
        return math.sin(TAU * self.step(freq))

    def square(self, freq, duty=0.5):
        return 1.0 if self.step(freq) < duty else -1.0

    def saw(self, freq):
        return 2.0 * self.step(freq) - 1.0

    def triangle(self, freq):
        p = self.step(freq)
        return 4.0 * abs(p - 0.5) - 1.0


class BandPass:
    """State-variable filter; band-pass output, cutoff may move each sample."""

    def __init__(self, rate, q=2.0):
        self.rate = rate
        self.damp = 1.0 / q
        self.low = self.band = 0.0

    def step(self, x, cutoff):
        f = 2.0 * math.sin(math.pi * min(cutoff, self.rate / 6.0) / self.rate)
        high = x - self.low - self.damp * self.band
        self.band += f * high
        self.low += f * self.band
        return self.band


class LowPass:
    """One-pole low-pass filter."""

    def __init__(self, rate):
        self.rate = rate
        self.y = 0.0

    def step(self, x, cutoff):
        a = 1.0 - math.exp(-TAU * cutoff / self.rate)
        self.y += a * (x - self.y)
        return self.y


def render(n, rate, voice, seed):
    """Calls voice(t, rng) for n samples and returns the faded samples."""
    rng = random.Random(seed)
    out = []
    for i in range(n):
        out.append(voice(i / rate, rng) * fade(i, n))
    return out


def normalise(samples, peak=0.85):
    top = max((abs(s) for s in samples), default=0.0)
    if top == 0:
        return samples
    return [s * peak / top for s in samples]


def note(semitones_from_a4):
    return 440.0 * 2 ** (semitones_from_a4 / 12.0)


# --- the sounds -------------------------------------------------------------
# Each takes the number of frames and the rate and returns mono samples
# (or, for the stereo one, a list of (left, right) pairs).

def orbit_zap(n, rate):
    """Enemy 0: its ring spins up and flings a wobbling beam at the player."""
    osc, lfo, sub = Osc(rate), Osc(rate), Osc(rate)
    dur = n / rate

    def voice(t, rng):
        wobble = lfo.sine(6 + 20 * t / dur)
        freq = 300 + 900 * math.sin(math.pi * t / dur) + 60 * wobble
        body = 0.6 * osc.square(freq, 0.3) + 0.4 * sub.sine(freq / 2)
        return body * env_ad(t, 0.03, dur * 0.5)
    return normalise(render(n, rate, voice, 140))


def window_crash(n, rate):
    """Enemy 1: a row of falling error beeps, then the glass gives way."""
    osc, bp, ring = Osc(rate), BandPass(rate, 6.0), Osc(rate)
    beeps = [(0.00, 880), (0.28, 740), (0.56, 622), (0.84, 523), (1.12, 440)]
    crash_at = 1.45

    def voice(t, rng):
        s = 0.0
        for start, freq in beeps:
            if start <= t < start + 0.2:
                s += 0.5 * osc.square(freq) * env_ad(t - start, 0.005, 0.08)
        if t >= crash_at:
            u = t - crash_at
            noise = rng.uniform(-1, 1)
            shards = bp.step(noise, 2500 + 3000 * rng.random()) * 3.0
            tinkle = ring.sine(3100 + 900 * math.sin(40 * u)) * (rng.random() < 0.02)
            s += (shards + 0.6 * tinkle) * env_ad(u, 0.004, 0.25)
        return s
    return normalise(render(n, rate, voice, 141))


def bat_screech(n, rate):
    """Enemy 2: the bat dives with shrill chirps flying from ear to ear."""
    left_osc, right_osc, flap = Osc(rate), Osc(rate), LowPass(rate)
    rng = random.Random(142)
    dur = n / rate
    out = []
    for i in range(n):
        t = i / rate
        chirp = (t * 9.0) % 1.0              # nine chirps a second
        freq = 4200 - 2600 * chirp
        amp = math.exp(-chirp * 5.0)
        pan = 0.5 + 0.5 * math.sin(TAU * t / dur * 1.5)
        wing = flap.step(rng.uniform(-1, 1), 400) * 4.0 * (0.5 + 0.5 * math.sin(TAU * 14 * t))
        left = amp * left_osc.triangle(freq) * (1 - pan) + wing * 0.5
        right = amp * right_osc.triangle(freq * 1.01) * pan + wing * 0.5
        f = fade(i, n)
        out.append((left * f, right * f))
    top = max(max(abs(a), abs(b)) for a, b in out)
    return [(a * 0.85 / top, b * 0.85 / top) for a, b in out]


def snake_hiss(n, rate):
    """Enemy 3: a sharp hiss with a rattle under it."""
    bp, rattle = BandPass(rate, 1.5), Osc(rate)
    dur = n / rate

    def voice(t, rng):
        hiss = bp.step(rng.uniform(-1, 1), 5000 + 1500 * t / dur)
        buzz = (1.0 if rattle.step(38) < 0.25 else 0.0) * rng.uniform(-0.4, 0.4)
        return (hiss * 2.0 + buzz) * env_ad(t, 0.02, dur * 0.45)
    return normalise(render(n, rate, voice, 144))


def demon_roar(n, rate):
    """Enemy 4: a deep growling roar that swells and dies away."""
    a, b, lfo, lp = Osc(rate), Osc(rate), Osc(rate), LowPass(rate)
    dur = n / rate

    def voice(t, rng):
        growl = 0.6 + 0.4 * lfo.sine(23)
        pitch = 70 + 40 * math.sin(math.pi * min(1.0, t / (dur * 0.6)))
        tone = a.saw(pitch) + 0.6 * b.saw(pitch * 1.498)
        breath = lp.step(rng.uniform(-1, 1), 900) * 3.0
        shape = math.sin(math.pi * min(1.0, t / dur)) ** 0.6
        return (tone * growl + breath) * shape
    return normalise(render(n, rate, voice, 145))


def critical_sting(n, rate):
    """A critical hit: a quick rising arpeggio that ends on a bright chord."""
    oscs = [Osc(rate) for _ in range(4)]
    steps = [note(3), note(7), note(10), note(15)]   # C E G C, from A4

    def voice(t, rng):
        s = 0.0
        for k, (osc, freq) in enumerate(zip(oscs, steps)):
            start = k * 0.06
            if t >= start:
                s += 0.3 * osc.square(freq, 0.25) * env_ad(t - start, 0.004, 0.22)
        return s
    return normalise(render(n, rate, voice, 146))


def magic_fizzle(n, rate):
    """Magic that does not come off: a shimmering rise that sputters out."""
    osc, shimmer, bp = Osc(rate), Osc(rate), BandPass(rate, 3.0)
    dur = n / rate
    rise = dur * 0.45

    def voice(t, rng):
        if t < rise:
            u = t / rise
            freq = 300 + 1500 * u * u
            return (0.5 * osc.sine(freq) + 0.3 * shimmer.sine(freq * 2.01)) * (0.3 + 0.7 * u)
        u = (t - rise) / (dur - rise)
        # the spell breaks into ever sparser crackles
        crackle = rng.uniform(-1, 1) if rng.random() < 0.25 * (1 - u) else 0.0
        sputter = bp.step(crackle, 1800 - 1200 * u) * 2.5
        tail = 0.4 * osc.sine(1800 - 1500 * u) * (1 - u) ** 3
        return (sputter + tail) * (1 - u)
    return normalise(render(n, rate, voice, 147))


def item_blip(n, rate):
    """Rummaging for an item: one short soft blip."""
    osc = Osc(rate)

    def voice(t, rng):
        return osc.triangle(1200 + 4000 * t) * env_ad(t, 0.004, 0.03)
    return normalise(render(n, rate, voice, 148), 0.7)


def sword_slash(n, rate):
    """The player's blow: a blade cutting the air with a metallic ring."""
    bp, ring, ring2 = BandPass(rate, 2.5), Osc(rate), Osc(rate)
    dur = n / rate

    def voice(t, rng):
        u = t / dur
        swish = bp.step(rng.uniform(-1, 1), 6000 - 4500 * u) * 2.5 * env_ad(t, 0.02, 0.06)
        clang = (ring.sine(2350) + 0.6 * ring2.sine(3520)) * env_ad(t, 0.002, 0.07) * 0.5
        return swish + clang
    return normalise(render(n, rate, voice, 149))


def hurt_thud(n, rate):
    """The player is struck: a heavy low thud."""
    osc, lp = Osc(rate), LowPass(rate)

    def voice(t, rng):
        pitch = 50 + 110 * math.exp(-t / 0.05)
        knock = lp.step(rng.uniform(-1, 1), 500) * 3.0 * env_ad(t, 0.001, 0.03)
        return osc.sine(pitch) * env_ad(t, 0.003, 0.12) + knock
    return normalise(render(n, rate, voice, 150))


def vanish_warble(n, rate):
    """The enemy fades away: a falling, wavering tone that thins out."""
    osc, lfo, hi = Osc(rate), Osc(rate), Osc(rate)
    dur = n / rate

    def voice(t, rng):
        u = t / dur
        freq = 1400 * (1 - u) + 200 + 80 * lfo.sine(18)
        return (0.7 * osc.sine(freq) + 0.3 * hi.square(freq * 2, 0.1)) * (1 - u) ** 1.5
    return normalise(render(n, rate, voice, 151))


def defeat_jingle(n, rate):
    """The player falls: three falling minor notes."""
    osc, sub = Osc(rate), Osc(rate)
    notes = [(0.00, note(3)), (0.13, note(-2)), (0.26, note(-6))]

    def voice(t, rng):
        freq, start = notes[0][1], 0.0
        for s, f in notes:
            if t >= s:
                start, freq = s, f
        return (0.6 * osc.square(freq, 0.5) + 0.4 * sub.triangle(freq / 2)) * env_ad(t - start, 0.005, 0.09)
    return normalise(render(n, rate, voice, 152))


def enemy_crunch(n, rate):
    """The player's blow lands: a crunchy impact."""
    osc, bp = Osc(rate), BandPass(rate, 1.2)

    def voice(t, rng):
        pitch = 120 + 500 * math.exp(-t / 0.03)
        crunch = bp.step(rng.uniform(-1, 1), 1500 + 1000 * math.exp(-t / 0.05)) * 2.0
        return (0.6 * osc.square(pitch) + crunch) * env_ad(t, 0.002, 0.07)
    return normalise(render(n, rate, voice, 153))


def miss_whoosh(n, rate):
    """An attack misses: a soft whoosh of air."""
    bp = BandPass(rate, 1.8)
    dur = n / rate

    def voice(t, rng):
        u = t / dur
        return bp.step(rng.uniform(-1, 1), 700 + 2000 * math.sin(math.pi * u)) * math.sin(math.pi * u) ** 2
    return normalise(render(n, rate, voice, 154), 0.7)


def run_footsteps(n, rate):
    """The player runs: quick footsteps fading into the distance."""
    osc, lp = Osc(rate), LowPass(rate)
    steps = [0.0, 0.09, 0.18, 0.27, 0.35]

    def voice(t, rng):
        s = 0.0
        for k, start in enumerate(steps):
            if start <= t < start + 0.07:
                u = t - start
                loud = 0.85 ** (k * 2)
                s += loud * (osc.sine(90 + 200 * math.exp(-u / 0.01)) * 0.7
                             + lp.step(rng.uniform(-1, 1), 1200) * 2.0) * env_ad(u, 0.001, 0.018)
        return s
    return normalise(render(n, rate, voice, 155))
