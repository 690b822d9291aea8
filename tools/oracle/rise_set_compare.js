// Summarises the lines printed by rise_set_dump (place, day, body, rise or
// set, reference geometric and apparent instants, ours) as Markdown: per body
// and place the largest and RMS geometric differences, the largest apparent
// difference and the mean apparent differences of rises and of sets (seconds,
// ours minus the reference; more lift from refraction makes rises earlier and
// sets later, so the two means show the refraction models' difference), and
// the largest geometric differences one by one.
'use strict';
const fs = require('fs');

const kSecondsPerDay = 86400;
const rows = [];
for (const line of fs.readFileSync(0, 'utf8').trim().split('\n')) {
  const [place, day, body, kind, refGeo, refApp, ourGeo, ourApp] = line.split(',');
  const diff = (ours, ref) => (ours && ref ? (Number(ours) - Number(ref)) * kSecondsPerDay : null);
  rows.push({ place, day: Number(day), body, kind, geo: diff(ourGeo, refGeo), app: diff(ourApp, refApp), missing: !ourGeo });
}

const f1 = (x) => (x === null ? '-' : x.toFixed(1));
const maxAbs = (xs) => (xs.length ? Math.max(...xs.map(Math.abs)) : null);
const rms = (xs) => (xs.length ? Math.sqrt(xs.reduce((t, x) => t + x * x, 0) / xs.length) : null);
const mean = (xs) => (xs.length ? xs.reduce((t, x) => t + x, 0) / xs.length : null);
const dateOf = (day) => new Date(Date.UTC(2000, 0, 1) + (day - 730120) * 86400000).toISOString().slice(0, 10);

console.log('# Rise and set of the Sun and the Moon against astronomy-engine');
console.log('');
console.log('Source: tests/data/rise_set_reference.csv (astronomy-engine, 2024, every third day; see its header).');
console.log('Differences in seconds, ours minus the reference. "geometric": the centre at true altitude 0,');
console.log('topocentric, without refraction, on both sides. "apparent": our upper limb on the flat horizon with');
console.log('our refraction table at the standard-atmosphere temperature and pressure of the height, against the');
console.log("engine's upper limb with 34' of refraction scaled by the air density. More lift makes a rise earlier and");
console.log('a set later, so the mean apparent differences of rises and of sets, of opposite signs, show how much');
console.log('more (sets positive) or less the refraction models lift the body. Regenerate: tools/oracle/rise_set_accuracy.sh.');
console.log('');
const places = [...new Set(rows.map((r) => r.place))];
for (const body of ['Sun', 'Moon']) {
  console.log(`## ${body}`);
  console.log('');
  console.log('| Place | events | not found | max geometric | RMS geometric | max apparent | mean apparent, rises | mean apparent, sets |');
  console.log('|---|---|---|---|---|---|---|---|');
  const all = rows.filter((r) => r.body === body);
  for (const place of [...places, 'all']) {
    const r = place === 'all' ? all : all.filter((x) => x.place === place);
    const geo = r.filter((x) => x.geo !== null).map((x) => x.geo);
    const app = r.filter((x) => x.app !== null).map((x) => x.app);
    const appOf = (kind) => r.filter((x) => x.app !== null && x.kind === kind).map((x) => x.app);
    const missing = r.filter((x) => x.missing).length;
    console.log(`| ${place} | ${r.length} | ${missing} | ${f1(maxAbs(geo))} | ${f1(rms(geo))} | ${f1(maxAbs(app))} | ${f1(mean(appOf('rise')))} | ${f1(mean(appOf('set')))} |`);
  }
  console.log('');
}
console.log('## Largest geometric differences');
console.log('');
console.log('| Place | Date | Body | Event | geometric | apparent |');
console.log('|---|---|---|---|---|---|');
const worst = rows.filter((x) => x.geo !== null).sort((a, b) => Math.abs(b.geo) - Math.abs(a.geo)).slice(0, 15);
for (const x of worst) console.log(`| ${x.place} | ${dateOf(x.day)} | ${x.body} | ${x.kind} | ${f1(x.geo)} | ${f1(x.app)} |`);
const lost = rows.filter((x) => x.missing);
if (lost.length) {
  console.log('');
  console.log('## Events we did not find');
  console.log('');
  for (const x of lost) console.log(`- ${x.place} ${dateOf(x.day)} ${x.body} ${x.kind}`);
}
