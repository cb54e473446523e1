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

// The parts of the page's address of the settings, each field's text at the
// field's index: every field's text given, each standard uncertainty given,
// every unit's short name, and decimal-comma and lenient when they hold.
function addressParts(form, { texts = [], uncertainties = [], units = [], decimalComma, lenient }) {
  const parts = texts.map((text, i) => fieldPart(form, i, text));
  uncertainties.forEach((text, i) => {
    if (!blank.test(text)) parts.push(`${form.uncertaintyPrefix}${form.fields[i].option}=${addressPart(text)}`);
  });
  units.forEach((index, kind) => parts.push(`${form.units[kind].option}=${addressPart(form.units[kind].entries[index].short)}`));
  if (decimalComma) parts.push('decimal-comma');
  if (lenient) parts.push('lenient');
  return parts;
}

// The page's address of the settings, the text after its "#", and the text
// of a request to the core.
const addressOf = (form, settings) => addressParts(form, settings).join('&');

if (typeof module === 'object') module.exports = { addressOf, addressParts, fieldPart };
