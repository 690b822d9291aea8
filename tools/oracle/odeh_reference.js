// Writes the reference of Odeh's criterion at his own records: sixteen
// observations of his database (M. Sh. Odeh, "New Criterion for Lunar
// Crescent Visibility", Experimental Astronomy 18 (2004) 39-64), spread over
// his V, at the place and Universal Time of his best time as tabulated there,
// with the topocentric airless arc of vision, relative azimuth, arc of light
// and crescent width recomputed with the astronomy-engine ephemeris (Don
// Cross, MIT licence), and Odeh's V and zone from them:
//   V = ARCV - (7.1651 - 6.3226 W + 0.7319 W^2 - 0.1018 W^3),
//   zone A from V >= 5.65, B from 2, C from -0.96, else D.
// Odeh's tabulated ARCV and W are kept beside them for the record.
// The records were transcribed from the public data of a research project
// (University of Manchester, MPhys project "mphys-moon", file
// Data/Schaefer-Odeh/schaefer_odeh_allawi_2022_sighting_data.csv, rows "O").
//
// Usage: node tools/oracle/odeh_reference.js > tests/data/odeh_reference.csv
'use strict';
const Astronomy = require('astronomy-engine');
const path = require('path');
const fs = require('fs');
const version = JSON.parse(
  fs.readFileSync(path.join(path.dirname(require.resolve('astronomy-engine')), 'package.json'), 'utf8')).version;

// Odeh's records: UT instant, latitude, longitude (east positive), his ARCV
// and W (arc minutes) and the outcome (V seen by eye, I not seen, I(B) and
// I(T) seen only with binoculars or a telescope).
const records = [
  ['2002-02-12T16:30:00Z', 43.9, 18.4, 0.85, 0.08, 'I'],
  ['2001-09-17T14:56:28Z', 26.6, 50, 4.25, 0.06, 'I'],
  ['2002-03-14T13:31:21Z', 4.1, 73.3, 5.43, 0.09, 'I'],
  ['2001-12-15T14:53:32Z', 31.8, 35.2, 5.94, 0.16, 'I'],
  ['2001-08-19T15:04:32Z', 29.5, 56.8, 6.68, 0.14, 'I'],
  ['2004-10-15T01:34:41Z', 34.1, -118.2, 5.71, 0.34, 'I(T)'],
  ['2002-11-05T13:56:56Z', 30.1, 52.1, 6.7, 0.23, 'I(B)'],
  ['2002-04-13T15:10:14Z', 29.6, 52.5, 7.32, 0.19, 'I(B)'],
  ['1999-01-18T18:16:34Z', -33.9, 18.4, 6.77, 0.39, 'V'],
  ['1990-05-25T02:38:01Z', 32.4, -111, 8.5, 0.2, 'V'],
  ['1996-10-13T15:26:15Z', 31.8, 34.7, 8.16, 0.34, 'I(T)'],
  ['2002-04-13T19:20:07Z', 30.5, -9.7, 9.14, 0.26, 'I(T)'],
  ['2001-10-17T14:39:43Z', 24.6, 46.5, 9.34, 0.29, 'I(B)'],
  ['2002-08-09T15:40:33Z', 32.6, 51.7, 9.68, 0.34, 'V'],
  ['2003-06-30T19:13:50Z', 32.5, 3.7, 10.42, 0.31, 'I(T)'],
  ['2001-10-17T17:15:37Z', 10.3, 9.8, 11.42, 0.36, 'V'],
];

const kMoonRadiusKm = 1738;
const deg = (r) => r * 180 / Math.PI;
const odehV = (arcv, w) => arcv - (7.1651 - 6.3226 * w + 0.7319 * w * w - 0.1018 * w * w * w);
const odehZone = (v) => (v >= 5.65 ? 'A' : v >= 2 ? 'B' : v >= -0.96 ? 'C' : 'D');

console.log('# Odeh\'s criterion at sixteen of his own records (Experimental Astronomy 18 (2004) 39-64).');
console.log(`# Geometry: astronomy-engine ${version} (Don Cross, MIT licence), topocentric, airless, sea level.`);
console.log('# Records transcribed from the public data of the Manchester MPhys project "mphys-moon".');
console.log('# Regenerate: node tools/oracle/odeh_reference.js > tests/data/odeh_reference.csv');
console.log('# Columns: UT instant, latitude, longitude, Odeh\'s ARCV, Odeh\'s W, outcome,');
console.log('#   ARCV, DAZ, ARCL, W (arc minutes), V, zone');
for (const [when, lat, lon, arcvOdeh, wOdeh, outcome] of records) {
  const t = Astronomy.MakeTime(new Date(when));
  const observer = new Astronomy.Observer(lat, lon, 0);
  const equ = (body) => Astronomy.Equator(body, t, observer, true, true);
  const moonEq = equ(Astronomy.Body.Moon), sunEq = equ(Astronomy.Body.Sun);
  const moon = Astronomy.Horizon(t, observer, moonEq.ra, moonEq.dec, null);
  const sun = Astronomy.Horizon(t, observer, sunEq.ra, sunEq.dec, null);
  const arcv = moon.altitude - sun.altitude;
  let daz = sun.azimuth - moon.azimuth;
  while (daz <= -180) daz += 360;
  while (daz > 180) daz -= 360;
  const arcl = Astronomy.AngleBetween(moonEq.vec, sunEq.vec);
  const distanceKm = moonEq.dist * Astronomy.KM_PER_AU;
  const w = 60 * deg(Math.asin(kMoonRadiusKm / distanceKm)) * (1 - Math.cos(arcl * Math.PI / 180));
  const v = odehV(arcv, w);
  console.log([when, lat, lon, arcvOdeh, wOdeh, outcome, arcv.toFixed(4), daz.toFixed(4), arcl.toFixed(4),
    w.toFixed(4), v.toFixed(3), odehZone(v)].join(','));
}
