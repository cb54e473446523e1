// The record a lab files: who calibrated what, for whom, against which
// reference, typed into the page and carried only in its address. A printed
// page states them above the calculation (the title, the record's fields, the
// method) and below it (who did it and who authorized it, each with a line to
// sign on, and the page's count).
'use strict';

class RecordSection {
  // The record's last fields are the two people who sign it.
  static signers = 2;

  constructor(document) {
    this.document = document;
    this.details = document.getElementById('record-fields');
    this.printedHead = document.getElementById('printed-record');
    this.printedFoot = document.getElementById('printed-signatures');
    this.inputs = [];
  }

  // A field for each of the record's entries, named by the core's form, and
  // the printed record's titles; change is called when a text changes.
  fill(form, change) {
    const { document } = this;
    const { record } = form;
    this.fields = record.fields;
    const boxes = record.fields.map((field, i) => {
      const box = document.createElement('div');
      box.className = 'field';
      const input = Object.assign(document.createElement('input'), { id: `record-${i}`, maxLength: 200, spellcheck: false });
      const label = Object.assign(document.createElement('label'), { htmlFor: input.id, textContent: field.label });
      box.append(label, input);
      this.inputs.push(input);
      return box;
    });
    document.getElementById('record-inputs').append(...boxes);
    this.details.addEventListener('input', () => {
      this.print();
      change();
    });
    const element = (tag, text) => Object.assign(document.createElement(tag), { textContent: text });
    this.printedValues = this.inputs.map(() => element('dd', ''));
    const entry = (i) => {
      const pair = document.createElement('div');
      pair.append(element('dt', record.fields[i].label), this.printedValues[i]);
      return pair;
    };
    const list = (from, to) => {
      const dl = document.createElement('dl');
      for (let i = from; i < to; ++i) dl.append(entry(i));
      return dl;
    };
    const count = this.fields.length, signed = count - RecordSection.signers;
    this.printedHead.append(element('h2', record.title), list(0, signed), element('p', record.method));
    this.printedFoot.append(list(signed, count), element('p', record.page));
  }

  // The settings of a request: [option, text] for each field given.
  settings() {
    return this.inputs.flatMap((input, i) => (input.value.trim() === '' ? [] : [[this.fields[i].option, input.value]]));
  }

  // From the address: {option: text}. The section opens when it holds any.
  apply(record = {}) {
    this.fields.forEach((field, i) => (this.inputs[i].value = record[field.option] ?? ''));
    if (Object.keys(record).length > 0) this.details.open = true;
    this.print();
  }

  // The printed record's texts are the fields'.
  print() {
    this.inputs.forEach((input, i) => (this.printedValues[i].textContent = input.value.trim()));
  }
}
