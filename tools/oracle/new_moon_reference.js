// Writes the new-Moon reference of the conjunction search: 50 consecutive
// geocentric new Moons from January 2024, from the astronomy-engine ephemeris
// (Don Cross, MIT licence), as Julian Days in dynamical time (TT), to stdout
// in the layout of tests/data/new_moon_reference.csv. Two instants each:
// - SearchMoonPhase(0): the engine's new Moon, on geocentric positions
//   without the aberration of light;
// - the same refined to the equal longitudes of the aberrated (apparent)
//   geocentric Moon and Sun, the conjunction the calculator searches: the
//   Sun's aberration (some 20 arcseconds) puts it about 40 seconds earlier.
//
// Usage: node tools/oracle/new_moon_reference.js > tests/data/new_moon_reference.csv
'use strict';
const Astronomy = require('astronomy-engine');
const path = require('path');
const fs = require('fs');
const version = JSON.parse(
  fs.readFileSync(path.join(path.dirname(require.resolve('astronomy-engine')), 'package.json'), 'utf8')).version;

// Julian Day of the engine's day 0 (J2000.0, 2000-01-01 12:00 TT).
const kJ2000 = 2451545.0;

console.log('# Geocentric new Moons (conjunctions in ecliptic longitude) from January 2024.');
console.log(`# Source: astronomy-engine ${version} (Don Cross, MIT licence), SearchMoonPhase(0, ...).`);
console.log('# Regenerate: node tools/oracle/new_moon_reference.js > tests/data/new_moon_reference.csv');
console.log('# Columns: lunation, UTC date and time, JD (TT) of SearchMoonPhase, JD (TT) of the apparent conjunction');

// Longitude of the aberrated geocentric Moon less the Sun's, degrees in
// (-180, 180]; both in one ecliptic frame, so the frame cancels.
function apparentElongation(t) {
  const lon = (body) => Astronomy.Ecliptic(Astronomy.GeoVector(body, t, true)).elon;
  let d = lon(Astronomy.Body.Moon) - lon(Astronomy.Body.Sun);
  while (d <= -180) d += 360;
  while (d > 180) d -= 360;
  return d;
}

// Secant steps from the engine's instant until they move less than 1 ms.
function apparentConjunction(t0) {
  let a = t0, b = t0.AddDays(0.01);
  let fa = apparentElongation(a), fb = apparentElongation(b);
  for (let i = 0; i < 30 && Math.abs(b.ut - a.ut) * 86400 > 0.001; ++i) {
    const c = b.AddDays(-fb * (b.ut - a.ut) / (fb - fa));
    a = b; fa = fb;
    b = c; fb = apparentElongation(b);
  }
  return b;
}
let t = Astronomy.MakeTime(new Date(Date.UTC(2024, 0, 1)));
for (let n = 0; n < 50; ++n) {
  const found = Astronomy.SearchMoonPhase(0, t, 40);
  const apparent = apparentConjunction(found);
  console.log(`${n},${found.date.toISOString()},${(found.tt + kJ2000).toFixed(6)},${(apparent.tt + kJ2000).toFixed(6)}`);
  t = found.AddDays(20);
}
