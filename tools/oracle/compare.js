// Compares the positions printed by positions_dump (one line per body and
// instant: name, fixed day, JDE, RA and declination in degrees, distance)
// with the astronomy-engine ephemeris (Don Cross, MIT licence; VSOP87 for the
// planets, a full ELP-based lunar series, IAU 2000B nutation) at the same
// dynamical time, so that Delta T plays no part. Prints a Markdown summary
// and the full table of differences in arcseconds.
'use strict';
const fs = require('fs');
const Astronomy = require('astronomy-engine');

const lines = fs.readFileSync(0, 'utf8').trim().split('\n');
const rows = [];
for (const line of lines) {
  const [name, fix, jde, ra, dec] = line.trim().split(/\s+/);
  const time = Astronomy.AstroTime.FromTerrestrialTime(Number(jde) - 2451545.0);
  const rot = Astronomy.Rotation_EQJ_EQD(time);  // precession and nutation to the true equator of date
  const ofDate = (aberration) =>
    Astronomy.EquatorFromVector(Astronomy.RotateVector(rot, Astronomy.GeoVector(name, time, aberration)));
  const sep = (eq) => {
    const dRA = (((Number(ra) - eq.ra * 15) % 360) + 540) % 360 - 180;
    const a = dRA * Math.cos((eq.dec * Math.PI) / 180) * 3600;
    const d = (Number(dec) - eq.dec) * 3600;
    return { a, d, s: Math.hypot(a, d) };
  };
  rows.push({ name, fix: Number(fix), date: time.date.toISOString().slice(0, 16), app: sep(ofDate(true)), geo: sep(ofDate(false)) });
}

const bodies = ['Sun', 'Moon', 'Mercury', 'Venus', 'Mars', 'Jupiter', 'Saturn'];
const f1 = (x) => x.toFixed(1);
console.log('# Geocentric right ascension and declination against astronomy-engine');
console.log('');
console.log(`${rows.length / bodies.length} instants from 1900 to 2100, each body at the same dynamical time.`);
console.log('Differences in arcseconds: RA difference times cos(declination), declination difference, and their');
console.log('total. "apparent" compares with the apparent place of date (light time, aberration, nutation);');
console.log('"no aberration" with the place of date without aberration (the planets here carry none).');
console.log('');
console.log('| Body | max total, apparent | RMS total, apparent | max total, no aberration | max dRA cos dec | max dDec |');
console.log('|---|---|---|---|---|---|');
for (const b of bodies) {
  const r = rows.filter((x) => x.name === b);
  const max = (g) => Math.max(...r.map(g));
  const rms = Math.sqrt(r.reduce((t, x) => t + x.app.s * x.app.s, 0) / r.length);
  console.log(`| ${b} | ${f1(max((x) => x.app.s))} | ${f1(rms)} | ${f1(max((x) => x.geo.s))} | ${f1(max((x) => Math.abs(x.app.a)))} | ${f1(max((x) => Math.abs(x.app.d)))} |`);
}
console.log('');
console.log('## Every instant (apparent place)');
console.log('');
console.log('| Date (UT) | Body | dRA cos dec | dDec | total |');
console.log('|---|---|---|---|---|');
for (const x of rows) console.log(`| ${x.date} | ${x.name} | ${f1(x.app.a)} | ${f1(x.app.d)} | ${f1(x.app.s)} |`);
