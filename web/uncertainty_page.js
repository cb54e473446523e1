// The page's uncertainty section: for each of the six inputs its uncertainty
// in the field's unit, the shape of its distribution and its degrees of
// freedom; whether both pressures are read on one barometer; the coverage
// probability. Beside each result its value and expanded uncertainty as
// kestrane-cli's text states them, and below, the four results' budgets.
'use strict';

// What the value of each shape is, as its list entry says it: u, the
// standard uncertainty, or a, the half-width.
const shapeMeaning = (name) => `${name}: ${name === 'normal' ? 'u' : 'a'}`;

// A per cent in the page's mark as the probability the core reads, with a
// decimal point as the command line's --coverage takes it ("95" gives "0.95",
// "99,73" with the comma gives "0.9973"), the digits moved, not computed; a
// text that is not a plain decimal number goes as it is, for the core to
// refuse in its words.
function probabilityText(percent, mark) {
  const match = percent.trim().match(mark === ',' ? /^(\d+)(?:,(\d*))?\s*%?$/ : /^(\d+)(?:\.(\d*))?\s*%?$/);
  if (!match) return percent;
  const whole = match[1].padStart(3, '0');
  const fraction = `${whole.slice(-2)}${match[2] ?? ''}`.replace(/0+$/, '');
  const units = whole.slice(0, -2).replace(/^0+(?=\d)/, '');
  return fraction ? `${units}.${fraction}` : units;
}

class UncertaintySection {
  constructor(document) {
    this.document = document;
    this.details = document.getElementById('uncertainty');
    this.rows = document.getElementById('uncertainty-inputs');
    this.sameBarometer = document.getElementById('same-barometer');
    this.coverage = document.getElementById('coverage');
    this.expanded = [...document.querySelectorAll('[data-expanded]')];
    this.budgets = document.getElementById('budgets');
    this.inputs = [];
    this.shapes = [];
    this.dofs = [];
    // Correlations an address names that the page has no control for: kept and sent as they are.
    this.otherCorrelations = [];
  }

  // The six inputs' controls, named from the core's form.
  fill(form) {
    this.form = form;
    form.fields.forEach((field, i) => this.rows.append(this.inputRow(field, i)));
    this.sameBarometerPair = `${form.fields[2].option},${form.fields[1].option}=1`;
  }

  // One input's three controls: its uncertainty, its shape and its degrees of freedom.
  inputRow(field, i) {
    const document = this.document;
    const row = document.createElement('div');
    row.className = 'input-uncertainty';
    const control = (tag, id, label) => {
      const box = row.appendChild(document.createElement('div'));
      box.className = 'field';
      const name = box.appendChild(document.createElement('label'));
      name.htmlFor = id;
      name.textContent = label;
      if (label !== field.uncertainty) {
        const of = name.appendChild(document.createElement('span'));
        of.className = 'visually-hidden';
        of.textContent = ` of ${field.label}`;
      }
      const element = box.appendChild(document.createElement(tag));
      element.id = id;
      return element;
    };
    const value = control('input', `u-${i}`, field.uncertainty);
    const shape = control('select', `shape-${i}`, 'Distribution');
    const dof = control('input', `dof-${i}`, 'Degrees of freedom');
    value.dataset.uncertainty = i;
    shape.dataset.shape = i;
    dof.dataset.dof = i;
    dof.placeholder = 'infinite';
    for (const input of [value, dof]) Object.assign(input, { inputMode: 'decimal', spellcheck: false, autocapitalize: 'off' });
    shape.append(...this.form.shapes.map((name) => new Option(shapeMeaning(name), name)));
    this.inputs.push(value);
    this.shapes.push(shape);
    this.dofs.push(dof);
    return row;
  }

  showUnits(unitTexts) {
    this.inputs.forEach((input, i) => (input.placeholder = unitTexts[i]));
  }

  // The settings of a request: {uncertainties ("0.05" or "0.05:rectangular"), dof, coverage, correlations}.
  settings(mark) {
    const uncertainties = this.inputs.map((input, i) =>
      (this.shapes[i].selectedIndex > 0 && input.value.trim() !== '' ? `${input.value}:${this.shapes[i].value}` : input.value));
    const correlations = [...(this.sameBarometer.checked ? [this.sameBarometerPair] : []), ...this.otherCorrelations];
    const coverage = this.coverage.value.trim() === '' ? undefined : probabilityText(this.coverage.value, mark);
    return { uncertainties, dof: this.dofs.map((input) => input.value), coverage, correlations };
  }

  // From the address: {uncertainties, dof: {field index: text}, coverage, correlations}.
  // The section opens when it holds any.
  apply({ uncertainties = {}, dof = {}, coverage, correlations = [] }, mark) {
    Object.entries(uncertainties).forEach(([field, text]) => {
      // "0.05:rectangular": the value in its field, the shape in its list.
      const colon = text.lastIndexOf(':');
      const shape = colon < 0 ? -1 : this.form.shapes.indexOf(text.slice(colon + 1).trim());
      this.inputs[field].value = shape < 0 ? text : text.slice(0, colon);
      this.shapes[field].selectedIndex = Math.max(shape, 0);
    });
    Object.entries(dof).forEach(([field, text]) => (this.dofs[field].value = text));
    if (coverage !== undefined) this.coverage.value = inMark(coverage, mark);
    const same = new Set([this.sameBarometerPair, `${this.form.fields[1].option},${this.form.fields[2].option}=1`,
      `${this.form.fields[2].alias},${this.form.fields[1].option}=1`, `${this.form.fields[1].option},${this.form.fields[2].alias}=1`]);
    this.sameBarometer.checked = correlations.some((pair) => same.has(pair.replaceAll(' ', '')));
    this.otherCorrelations = correlations.filter((pair) => !same.has(pair.replaceAll(' ', '')));
    if (Object.keys(uncertainties).length + Object.keys(dof).length + correlations.length > 0 || coverage !== undefined) {
      this.details.open = true;
    }
  }

  // The numbers the user typed, in the other decimal mark.
  swapMarks(swap) {
    for (const input of [...this.inputs, ...this.dofs, this.coverage]) input.value = swap(input.value);
  }

  // A reading's uncertainty (kestrane-cli's JSON), or none: beside each result
  // "(20.6449 ± 0.0020, k = 2)", and the four budgets, in the page's mark.
  show(reading, mark) {
    const u = reading?.uncertainty;
    this.expanded.forEach((output, i) => {
      const key = this.form.results[i].key;
      const unit = reading?.results[key].unit === '%' ? '' : ` ${reading?.results[key].unit}`;
      const r = u?.[key];
      output.textContent = r ? `(${inMark(r.value_text, mark)} \u00b1 ${inMark(r.expanded_text, mark)}${unit}, ${inMark(r.coverage_text, mark)})` : '';
    });
    this.budgets.hidden = !u;
    this.budgets.replaceChildren(...(u ? this.form.results.map((_, i) => budgetFigure(this.document, this.form, reading, i, mark)) : []));
  }
}

if (typeof module === 'object') module.exports = { probabilityText };
