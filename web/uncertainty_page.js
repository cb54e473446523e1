// The page's uncertainty section: six standard uncertainties entered in the
// fields' units, the expanded uncertainty beside the two results it is
// stated for, and the budget of the Calculated Gas as bars of each input's
// share of the variance with every number in a table.
'use strict';

class UncertaintySection {
  static barHeight = 22;

  constructor(document) {
    this.details = document.getElementById('uncertainty');
    this.inputs = [...document.querySelectorAll('[data-uncertainty]')];
    this.expanded = [...document.querySelectorAll('[data-expanded]')];
    this.budget = document.getElementById('budget');
    this.bars = document.getElementById('budget-bars');
    this.rows = document.getElementById('budget-rows');
    this.combined = document.getElementById('budget-combined');
  }

  // Labels from the core's form; the unit each text is read in as the field's placeholder.
  fill(form) {
    const document = this.details.ownerDocument;
    const labelFor = (input) => this.details.querySelector(`label[for="${input.id}"]`);
    this.inputs.forEach((input, i) => (labelFor(input).textContent = form.fields[i].uncertainty));
    document.getElementById('budget-title').textContent = form.budget.title;
    document.getElementById('budget-headings').replaceChildren(...form.budget.headings.map((heading) => {
      const cell = document.createElement('th');
      cell.scope = 'col';
      cell.textContent = heading;
      return cell;
    }));
    document.getElementById('budget-combined-label').textContent = form.budget.combined;
  }

  showUnits(unitTexts) {
    this.inputs.forEach((input, i) => (input.placeholder = unitTexts[i]));
  }

  texts() {
    return this.inputs.map((input) => input.value);
  }

  // From the address: {field index: text}. The section opens when it holds any.
  apply(texts) {
    const given = Object.entries(texts);
    given.forEach(([field, text]) => (this.inputs[field].value = text));
    if (given.length > 0) this.details.open = true;
  }

  // The reading's uncertainty (the core's "uncertainty" answer), or none: the
  // results' expanded uncertainties and the budget shown, or cleared.
  show(uncertainty, form, unitTexts) {
    const resultUnits = ['', ` ${unitTexts[1]}`];
    this.expanded.forEach((output, i) => {
      output.textContent = uncertainty ? `\u00b1 ${uncertainty.expanded[i]}${resultUnits[i]} ${uncertainty.coverage}` : '';
    });
    this.budget.hidden = !uncertainty;
    if (!uncertainty) return;
    this.rows.replaceChildren(...uncertainty.budget.map((line, i) => this.row(form.fields[i].label, line, unitTexts[i])));
    this.combined.textContent = `${uncertainty.standard[0]} %`;
    // The numbers are the table's: the bars are their picture, hidden from screen readers.
    this.bars.innerHTML = budgetBarsMarkup(form.fields.map((f) => f.label), uncertainty.budget);
  }

  // Another decimal mark: the expanded uncertainties and every number of the budget rewritten in it.
  swapMarks(swap) {
    this.expanded.forEach((output) => (output.textContent = swap(output.textContent)));
    for (const cell of this.rows.querySelectorAll('td:not(:first-child)')) cell.textContent = swap(cell.textContent);
    this.combined.textContent = swap(this.combined.textContent);
    for (const text of this.bars.querySelectorAll('text:not([text-anchor])')) text.textContent = swap(text.textContent);
  }

  row(label, line, unit) {
    const row = this.rows.ownerDocument.createElement('tr');
    for (const text of [label, `${line.u} ${unit}`, line.sensitivity, `${line.contribution} %`, `${line.share} %`]) {
      row.insertCell().textContent = text;
    }
    return row;
  }
}

// The shares of the variance as horizontal bars, one per input, each labelled
// with its input and its share; in the page's own SVG coordinates.
function budgetBarsMarkup(labels, lines) {
  // Each input's name above its bar, so the drawing stays narrow enough for a
  // phone to show its texts at a readable size.
  const height = UncertaintySection.barHeight * 2;
  const barsWidth = 330, textWidth = 70;
  const bars = lines.map((line, i) => {
    const y = i * height;
    const share = Number(line.share.replace(',', '.'));
    const width = Math.max(0, Math.min(100, share)) * (barsWidth / 100);
    return `<text x="0" y="${y + height * 0.38}">${chartEscape(labels[i])}</text>`
      + `<rect x="0" y="${y + height / 2}" width="${width.toFixed(1)}" height="${height / 2 - 4}"></rect>`
      + `<text x="${width + 4}" y="${y + height * 0.88}">${chartEscape(line.share)} %</text>`;
  });
  const total = barsWidth + textWidth;
  return `<svg viewBox="0 0 ${total} ${lines.length * height}" aria-hidden="true">${bars.join('')}</svg>`;
}

if (typeof module === 'object') module.exports = { budgetBarsMarkup };
