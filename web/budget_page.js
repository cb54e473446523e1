// The budgets of a reading's four results as the page shows and prints them:
// per result a table of every quantity (the six inputs and the correction's two
// model terms) with its distribution, the correlated pairs' lines and the
// closing line, as kestrane-cli's text writes them; the Calculated Gas's
// shares of the variance also drawn as bars.
'use strict';

// The numbers of a text written in a decimal mark: only a point between two
// digits is a decimal point ("k = 2.13, p = 95 %" keeps its comma).
const inMark = (text, mark) => (mark === ',' ? text.replace(/(\d)\.(?=\d)/g, '$1,') : text);

// A result's unit as its budget writes it after a number: " %" or " In Hg".
const budgetUnit = (reading, key) => ` ${reading.results[key].unit}`;

// The lines after a budget's rows: one per correlated pair, then the closing line.
function budgetClosing(form, reading, key, mark) {
  const u = reading.uncertainty[key];
  const unit = budgetUnit(reading, key);
  const words = form.budget;
  const labelOf = (column) => reading.inputs[column]?.label ?? column;
  const pairs = u.correlations.map((c) =>
    `${words.correlated}${labelOf(c.first)} and ${labelOf(c.second)}, r = ${inMark(String(c.r), mark)}, share ${inMark(c.share_text, mark)} %`);
  const dof = u.effective_degrees_of_freedom === null ? words.infinite : String(u.effective_degrees_of_freedom);
  const closing = `${words.combined} ${inMark(u.standard_text, mark)}${unit}; ${words.dof} ${dof}; `
    + `${words.expanded} (${inMark(u.coverage_text, mark)}) ${inMark(u.expanded_text, mark)}${unit}`;
  return [...pairs, closing];
}

// One result's budget as a figure: its title, the table and, for the first, the bars.
function budgetFigure(document, form, reading, index, mark) {
  const result = form.results[index];
  const u = reading.uncertainty[result.key];
  const figure = document.createElement('figure');
  figure.className = 'budget';
  const caption = figure.appendChild(document.createElement('figcaption'));
  caption.textContent = `${form.budget.title}${result.label}${u.correlations.length ? form.budget.correlatedTitle : form.budget.uncorrelatedTitle}`;
  if (index === 0) {
    const bars = figure.appendChild(document.createElement('div'));
    bars.className = 'budget-bars';
    // The numbers are the table's: the bars are their picture, hidden from screen readers.
    bars.innerHTML = budgetBarsMarkup(u.budget.map((line) => line.label), u.budget.map((line) => inMark(line.share_text, mark)));
  }
  const table = figure.appendChild(document.createElement('table'));
  const head = table.createTHead().insertRow();
  for (const heading of form.budget.headings) {
    const cell = head.appendChild(document.createElement('th'));
    cell.scope = 'col';
    cell.textContent = heading;
  }
  const body = table.createTBody();
  const unit = budgetUnit(reading, result.key);
  for (const line of u.budget) {
    const row = body.insertRow();
    const name = row.appendChild(document.createElement('th'));
    name.scope = 'row';
    name.textContent = line.label;
    for (const text of [`${inMark(line.standard_uncertainty_text, mark)} ${line.unit}`, inMark(line.sensitivity_text, mark),
      `${inMark(line.contribution_text, mark)}${unit}`, `${inMark(line.share_text, mark)} %`, inMark(line.distribution_text, mark)]) {
      row.insertCell().textContent = text;
    }
  }
  const foot = table.createTFoot();
  for (const text of budgetClosing(form, reading, result.key, mark)) {
    const cell = foot.insertRow().insertCell();
    cell.colSpan = form.budget.headings.length;
    cell.textContent = text;
  }
  return figure;
}

// The shares of the variance as horizontal bars, one per quantity, each
// labelled with its name and its share (texts in the page's mark); in the
// page's own SVG coordinates.
function budgetBarsMarkup(labels, shares) {
  // Each name above its bar, so the drawing stays narrow enough for a phone
  // to show its texts at a readable size.
  const height = 44;
  const barsWidth = 330, textWidth = 70;
  const bars = shares.map((share, i) => {
    const y = i * height;
    const width = Math.max(0, Math.min(100, Number(share.replace(',', '.')))) * (barsWidth / 100);
    return `<text x="0" y="${y + height * 0.38}">${chartEscape(labels[i])}</text>`
      + `<rect x="0" y="${y + height / 2}" width="${width.toFixed(1)}" height="${height / 2 - 4}"></rect>`
      + `<text x="${width + 4}" y="${y + height * 0.88}">${chartEscape(share)} %</text>`;
  });
  return `<svg viewBox="0 0 ${barsWidth + textWidth} ${shares.length * height}" aria-hidden="true">${bars.join('')}</svg>`;
}

if (typeof module === 'object') module.exports = { budgetBarsMarkup, budgetClosing, inMark };
