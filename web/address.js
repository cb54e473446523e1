// The page's settings in the command line's words (long option names, unit
// names, decimal-comma, lenient): its address, so that a bookmark or a shared
// link reopens the same reading, and each request to the core, which reads
// both (reading/query_text.h). Nothing is stored on the device.
'use strict';

// A text as a part of the address: escaped as a URI component, its commas
// kept readable. A text the browser holds with half a surrogate pair, which
// has no escape, is written as UTF-8 writes it: with U+FFFD in its place.
function addressPart(text) {
  let part;
  try {
    part = encodeURIComponent(text);
  } catch {
    part = encodeURIComponent(text.toWellFormed());
  }
  return part.includes('%2C') ? part.replaceAll('%2C', ',') : part;
}

// Blanks as the core trims them around a text: what is left of an uncertainty
// of only these is no uncertainty given.
const blank = /^[ \t\n\v\f\r]*$/;

// A field's text as a part of the address: "altitude=1500".
const fieldPart = (form, field, text) => `${form.fields[field].option}=${addressPart(text)}`;

// One part per text given, named by the field's option after a prefix: "dof-gas=4".
const perField = (form, prefix, texts = []) => texts.flatMap((text, i) =>
  (text === undefined || blank.test(text) ? [] : [`${prefix}${form.fields[i].option}=${addressPart(text)}`]));

// What comes after the units: the coverage probability, the correlations, the
// reading rules, the analyzer's check, Monte Carlo's run when one is asked for,
// and the record's texts ([option, text] pairs, the check's and the record's).
function afterUnits(form, { coverage, correlations = [], decimalComma, lenient, check = [], monteCarlo, record = [] }) {
  const { options } = form;
  const parts = [];
  if (coverage !== undefined && !blank.test(coverage)) parts.push(`${options.coverage}=${addressPart(coverage)}`);
  correlations.forEach((pair) => parts.push(`${options.correlation}=${addressPart(pair)}`));
  if (decimalComma) parts.push('decimal-comma');
  if (lenient) parts.push('lenient');
  const pairs = (list) => list.map(([option, text]) => `${option}=${addressPart(text)}`);
  parts.push(...pairs(check));
  if (monteCarlo) {
    parts.push(`${options.monteCarlo}=${addressPart(monteCarlo.draws)}`);
    if (monteCarlo.interval) parts.push(`${options.interval}=${addressPart(monteCarlo.interval)}`);
    if (monteCarlo.seed !== undefined && !blank.test(monteCarlo.seed)) parts.push(`${options.seed}=${addressPart(monteCarlo.seed)}`);
  }
  return [...parts, ...pairs(record)];
}

// The parts of the page's address of the settings, each field's text at the
// field's index: every field's text given, each uncertainty and degrees of
// freedom given, every unit's short name, then afterUnits's.
function addressParts(form, settings) {
  const { texts = [], uncertainties = [], dof = [], units = [] } = settings;
  const parts = texts.map((text, i) => fieldPart(form, i, text));
  parts.push(...perField(form, form.uncertaintyPrefix, uncertainties), ...perField(form, form.options.dofPrefix, dof));
  units.forEach((index, kind) => parts.push(`${form.units[kind].option}=${addressPart(form.units[kind].entries[index].short)}`));
  return [...parts, ...afterUnits(form, settings)];
}

// The page's address of the settings, the text after its "#", and the text
// of a request to the core.
const addressOf = (form, settings) => addressParts(form, settings).join('&');

if (typeof module === 'object') module.exports = { addressOf, addressParts, fieldPart };
