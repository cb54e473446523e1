// The page's settings in its address, in the command line's words (long
// option names, unit names, decimal-comma, lenient), so that a bookmark or a
// shared link reopens the same reading. Nothing is stored on the device.
'use strict';

// A message ended as a sentence: a full stop unless it already ends in one, or in a question.
const sentenceEnd = (text) => (/[.?!]$/.test(text) ? text : `${text}.`);

// "20%2C95" and friends as text; null for a part that is no proper escape.
function decodedPart(text) {
  try {
    return decodeURIComponent(text);
  } catch {
    return null;
  }
}

// Reads a fragment ("#pressure-unit=hPa&altitude=350&decimal-comma") against
// the form: {fields and uncertainties: Map(field index → text), units:
// Map(kind → unit index), decimalComma (undefined when the address says
// nothing), lenient, problems}. A field answers to its option's name or its
// second name, its standard uncertainty to either after the prefix "u-".
// A fragment that says anything is read as a command line is: a decimal point
// unless it says decimal-comma.
function readAddress(hash, form, core) {
  const settings = {
    fields: new Map(), uncertainties: new Map(), units: new Map(), decimalComma: undefined, lenient: false, problems: [],
  };
  const text = hash.replace(/^#/, '');
  if (text === '') return settings;
  settings.decimalComma = false;
  const flags = { 'decimal-comma': 'decimalComma', lenient: 'lenient' };
  for (const part of text.split('&').filter((p) => p !== '')) {
    const at = part.indexOf('=');
    const key = decodedPart(at < 0 ? part : part.slice(0, at));
    const value = at < 0 ? null : decodedPart(part.slice(at + 1));
    const fieldNamed = (name) => form.fields.findIndex((f) => name === f.option || (f.alias !== '' && name === f.alias));
    const field = fieldNamed(key);
    const prefix = form.uncertaintyPrefix;
    const uncertain = key?.startsWith(prefix) ? fieldNamed(key.slice(prefix.length)) : -1;
    const kind = form.units.findIndex((u) => u.option === key);
    if (key === null || (at >= 0 && value === null)) {
      settings.problems.push(`The address has a part that is not written properly: "${part}".`);
    } else if (key in flags) {
      if (value !== null) settings.problems.push(`"${key}" in the address takes no value, but has "${value}".`);
      else settings[flags[key]] = true;
    } else if (field >= 0 || uncertain >= 0 || kind >= 0) {
      if (value === null) settings.problems.push(`"${key}" in the address has no value.`);
      else if (field >= 0) settings.fields.set(field, value);
      else if (uncertain >= 0) settings.uncertainties.set(uncertain, value);
      else readUnit(core, kind, value, settings);
    } else {
      settings.problems.push(`The address names "${key}", which is no setting of this page.`);
    }
  }
  return settings;
}

function readUnit(core, kind, name, settings) {
  const unit = core.unit(kind, name);
  if (unit.message === undefined) settings.units.set(kind, unit.index);
  else settings.problems.push(`In the address: ${sentenceEnd(unit.message)}`);
}

// The fragment of the settings: every field's text, each standard uncertainty
// given, every unit's short name, and decimal-comma and lenient when they hold.
function addressOf(form, { texts, uncertainties = [], units, decimalComma, lenient }) {
  const encode = (text) => encodeURIComponent(text).replace(/%2C/gi, ',');
  const parts = texts.map((text, i) => `${form.fields[i].option}=${encode(text)}`);
  uncertainties.forEach((text, i) => {
    if (text.trim() !== '') parts.push(`${form.uncertaintyPrefix}${form.fields[i].option}=${encode(text)}`);
  });
  units.forEach((index, kind) => parts.push(`${form.units[kind].option}=${encode(form.units[kind].entries[index].short)}`));
  if (decimalComma) parts.push('decimal-comma');
  if (lenient) parts.push('lenient');
  return `#${parts.join('&')}`;
}

if (typeof module === 'object') module.exports = { readAddress, addressOf };
