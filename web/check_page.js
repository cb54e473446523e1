// The analyzer checked against the Calculated Gas: its reading as found and
// as left, its own standard uncertainty, the tolerance and the decision rule,
// asked for in the address's words; beside the Calculated Gas each decision in
// a word and a colour, said whole to a screen reader, and printed whole.
'use strict';

class CheckSection {
  constructor(document) {
    this.document = document;
    this.details = document.getElementById('check');
    this.controls = [...document.querySelectorAll('[data-check]')];
    this.rule = this.controls[4];
    this.decisions = [...document.querySelectorAll('[data-decision]')];
    this.lines = document.getElementById('check-lines');
  }

  // The labels, the rules' list and the fields' number keyboard; the options' names come from the core's form.
  fill(form) {
    this.options = form.check.options;
    form.check.labels.forEach((label, i) => (this.controls[i].labels[0].textContent = label));
    this.rule.append(...form.check.rules.map((name) => new Option(name[0].toUpperCase() + name.slice(1), name)));
    for (const input of this.controls.slice(0, 4)) Object.assign(input, { inputMode: 'decimal', spellcheck: false, autocapitalize: 'off' });
  }

  // The settings of a request: [option, text] for each text given, and the rule unless it is the first.
  settings() {
    return this.controls.flatMap((control, i) => (control.value.trim() === '' || (control === this.rule && control.selectedIndex === 0)
      ? [] : [[this.options[i], control.value]]));
  }

  // From the address: {option: text}. The section opens when it holds any.
  apply(check = {}) {
    this.controls.forEach((control, i) => {
      if (check[this.options[i]] !== undefined) control.value = check[this.options[i]];
    });
    if (Object.keys(check).length > 0) this.details.open = true;
  }

  swapMarks(swap) {
    for (const input of this.controls.slice(0, 4)) input.value = swap(input.value);
  }

  // A reading's checks, or none: "As found: Pass" beside the Calculated Gas
  // (its line as kestrane-cli prints it for a screen reader), and the lines
  // for the printed page, in the page's mark.
  show(reading, mark) {
    const checks = [reading?.analyzer_check, reading?.as_left_check];
    this.decisions.forEach((output, i) => {
      const check = checks[i];
      if (!check) return output.replaceChildren();
      const shown = this.document.createElement('span');
      shown.setAttribute('aria-hidden', 'true');
      shown.append(`${output.dataset.decision}: `, Object.assign(this.document.createElement('b'), {
        className: check.decision, textContent: check.decision[0].toUpperCase() + check.decision.slice(1) }));
      const said = Object.assign(this.document.createElement('span'), { className: 'visually-hidden', textContent: inMark(check.text, mark) });
      output.replaceChildren(shown, said);
    });
    this.lines.replaceChildren(...checks.filter(Boolean).map((check) =>
      Object.assign(this.document.createElement('p'), { textContent: inMark(check.text, mark) })));
  }

  // What the announcement of a reading adds: each check's line.
  said() {
    return [...this.lines.children].map((line) => ` ${line.textContent}`).join('');
  }
}
