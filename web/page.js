// The page: builds the form from the core's tables, runs a correction on
// Execute Calculation (or Enter), shows the four results or the one message
// and any warnings with the uncertainty and the analyzer's check when they are
// asked for, keeps the settings and the record's texts in the address, redraws
// the chart of the calculated gas against altitude, and prints as one page's
// calibration record.
'use strict';

// The decimal mark of the browser's language, as its number format writes 1.5.
function browserDecimalMark() {
  const part = new Intl.NumberFormat(navigator.language).formatToParts(1.5).find((p) => p.type === 'decimal');
  return part?.value === ',' ? ',' : '.';
}

// A text with its points and commas swapped, as a number reads in the other decimal mark.
const swapMarks = (text) => text.replace(/[.,]/g, (c) => (c === '.' ? ',' : '.'));

// A reading as the core writes it (kestrane-cli's JSON, every text with a
// decimal point) as the page shows it: the texts in the page's decimal mark,
// applied here and nowhere else (its uncertainty's in the uncertainty
// section), a pressure's unit beside it (a percentage's is in its label), and
// NaN for a value JSON writes as null.
function shownReading(reading, mark) {
  const marked = (text) => (mark === ',' ? text.replaceAll('.', ',') : text);
  const results = Object.values(reading.results);
  return {
    results: results.map((r) => marked(r.text)),
    units: results.map((r) => (r.unit === '%' ? '' : r.unit)),
    values: Object.values(reading.inputs).map((input) => input.value ?? NaN),
    warnings: reading.warnings,
  };
}

// A reading's warnings as the page states them, one sentence each.
const warningsText = (reading) => reading.warnings.map((w) => `Warning: ${w}.`).join(' ');

// The form and chart of one page, and the core that calculates for them.
class KestranePage {
  static altitudeField = 4;
  static chartSteps = 50;
  // The altitudes the chart spans, by distance unit, unless the current one lies beyond: 10,000 ft or 3,000 m.
  static chartSpans = [10000, 3000];

  constructor(document) {
    this.document = document;
    this.formElement = document.getElementById('correction');
    this.button = document.getElementById('execute');
    this.message = document.getElementById('message');
    this.warnings = document.getElementById('warnings');
    this.inputs = [...this.formElement.querySelectorAll('[data-field]')];
    this.results = [...this.formElement.querySelectorAll('[data-result]')];
    this.resultUnits = [...this.formElement.querySelectorAll('[data-result-unit]')];
    this.staleNote = document.getElementById('stale-note');
    this.announcement = document.getElementById('announcement');
    this.lists = [...this.formElement.querySelectorAll('[data-unit]')];
    this.mark = document.getElementById('decimal-mark');
    this.chartFigure = document.getElementById('chart');
    this.chartDrawing = document.getElementById('chart-drawing');
    this.chartNote = document.getElementById('chart-note');
    this.chartValues = document.getElementById('chart-values');
    this.logCorrection = new LogCorrection(document, this);
    this.uncertainty = new UncertaintySection(document);
    this.monteCarlo = new MonteCarloSection(document);
    this.check = new CheckSection(document);
    this.recordFields = new RecordSection(document);
    // The settings the address was last written from, once a reading is calculated.
    this.addressSettings = null;
    // The reading on screen (the core's JSON), rewritten in a new decimal mark from it.
    this.shown = null;
    this.record = document.getElementById('record');
    this.core = null;
    this.form = null;
    this.lenient = false;
    this.chart = null;
    this.pendingAddress = undefined;
    // Kept by a resize observer, so a calculation forces no extra layout.
    this.chartWidth = 600;
  }

  // Wires up the form once the core is loaded: its texts, the address, the button, Enter, the chart's width.
  ready(core, bytes) {
    this.core = core;
    this.form = core.form();
    this.fillForm();
    this.monteCarlo.ready(this.form, bytes, () => this.runMonteCarlo());
    const settings = core.address(location.hash.replace(/^#/, ''));
    this.applyAddress(settings);
    this.formElement.addEventListener('submit', (event) => {
      event.preventDefault();
      this.calculate();
    });
    // Enter in a list runs the calculation too, as it does in a field.
    this.formElement.addEventListener('keydown', (event) => {
      if (event.key === 'Enter' && event.target instanceof HTMLSelectElement) {
        event.preventDefault();
        this.button.click();
      }
    });
    this.mark.addEventListener('change', () => this.changeMark());
    // Any change to what a calculation reads leaves the results on screen belonging to other inputs.
    for (const kind of ['input', 'change']) this.formElement.addEventListener(kind, (event) => {
      // Monte Carlo's own settings change how a run draws, not the reading.
      if (event.target.closest('#monte-carlo')) return;
      if (!event.target.readOnly) this.markStale();
      if (event.type === 'change' && [...this.lists, this.mark].includes(event.target)) this.logCorrection.withdraw();
    });
    this.lists.forEach((list) => list.addEventListener('change', () => this.uncertainty.showUnits(this.fieldUnits())));
    this.uncertainty.showUnits(this.fieldUnits());
    this.printOpensUncertainty();
    new ResizeObserver(([entry]) => {
      this.chartWidth = Math.round(entry.contentRect.width);
      if (this.chart) this.drawChart();
    }).observe(this.chartFigure);
    this.logCorrection.ready(this.document, bytes);
    this.button.disabled = false;
    performance.mark('kestrane-ready');
    // An address with a Monte Carlo run runs it.
    if (settings.monteCarlo) this.runMonteCarlo();
  }

  failed(error) {
    this.message.textContent = `This browser cannot run the calculation (${error.message}).`;
  }

  // Every text of the form from the core: titles, labels, list entries (the
  // dialog's first, then the others) and the default texts.
  fillForm() {
    const { form } = this;
    const labelFor = (element) => this.formElement.querySelector(`label[for="${element.id}"]`);
    this.document.title = form.caption;
    this.document.getElementById('heading').textContent = form.heading;
    this.document.getElementById('credit').textContent = form.credit;
    this.button.textContent = form.execute;
    this.formElement.querySelectorAll('legend[data-group]').forEach((l) => (l.textContent = form.groups[l.dataset.group]));
    form.fields.forEach((field, i) => {
      labelFor(this.inputs[i]).textContent = field.label;
      this.inputs[i].value = field.default;
    });
    form.results.forEach((result, i) => (labelFor(this.results[i]).textContent = result.label));
    this.uncertainty.fill(form);
    this.check.fill(form);
    this.recordFields.fill(form, () => this.recordChanged());
    this.lists.forEach((list, kind) => {
      labelFor(list).textContent = form.units[kind].label;
      list.replaceChildren(...form.units[kind].entries.map((entry) => new Option(entry.text)));
      list.selectedIndex = 0;
    });
  }

  // The settings the address gives (the core's reading of it), over the
  // defaults; what it got wrong is said, the rest applies.
  applyAddress(settings) {
    this.lenient = settings.lenient;
    const mark = settings.decimalComma === undefined ? browserDecimalMark() : settings.decimalComma ? ',' : '.';
    this.mark.value = mark;
    // The defaults are written in the mark the page reads with: "30,00" with a decimal comma.
    if (mark === ',') this.inputs.forEach((input) => (input.value = swapMarks(input.value)));
    Object.entries(settings.fields).forEach(([field, text]) => (this.inputs[field].value = text));
    Object.entries(settings.units).forEach(([kind, index]) => (this.lists[kind].selectedIndex = index));
    this.uncertainty.apply(settings, mark);
    this.check.apply(settings.check);
    this.recordFields.apply(settings.record);
    if (settings.monteCarlo) this.monteCarlo.apply(settings.monteCarlo);
    this.message.textContent = settings.problems.join(' ');
  }

  // Another decimal mark: the numbers on screen are written in it, as they read.
  changeMark() {
    [...this.inputs, ...this.results].forEach((element) => (element.value = swapMarks(element.value)));
    this.uncertainty.swapMarks(swapMarks);
    this.check.swapMarks(swapMarks);
    if (this.shown) {
      this.uncertainty.show(this.shown, this.mark.value);
      this.check.show(this.shown, this.mark.value);
      this.monteCarlo.show(this.shown.monte_carlo, this.mark.value);
    }
    if (this.chart) {
      this.chart.decimalComma = this.mark.value === ',';
      this.chart.marker &&= { ...this.chart.marker, label: swapMarks(this.chart.marker.label) };
      this.chart.points = this.chart.points.map((p) => ({
        ...p, altitudeText: swapMarks(p.altitudeText), gasText: p.gasText && swapMarks(p.gasText) }));
      this.drawChart();
    }
  }

  // The results, their uncertainty, chart and record no longer match the inputs
  // shown: they are struck through and said to be so, and a printed page leaves
  // them out (page.css), so a record never pairs inputs with other results.
  markStale() {
    if (!this.document.body.classList.contains('calculated')) return;
    this.document.body.classList.add('stale');
    this.staleNote.hidden = false;
    this.warnings.textContent = '';
    if (this.monteCarlo.running) this.monteCarlo.cancel();
  }

  // A refusal: its message said and announced, and the results on screen marked as not this reading's.
  refuse(message) {
    this.message.textContent = message;
    this.announcement.textContent = message;
    this.markStale();
  }

  // The four results, each with its unit beside it, said in one sentence.
  showResults(outcome) {
    const mark = this.mark.value;
    outcome.results.forEach((text, i) => (this.results[i].value = text));
    this.resultUnits.forEach((span, i) => (span.textContent = outcome.units[i]));
    this.document.body.classList.remove('stale');
    this.document.body.classList.add('calculated');
    this.staleNote.hidden = true;
    const said = this.form.results.map((r, i) => `${r.label} ${outcome.results[i]} ${outcome.units[i]}`.trim());
    this.announcement.textContent = `${said.join(mark === ',' ? '; ' : ', ')}.${this.check.said()}`;
    if (matchMedia('(max-width: 40rem)').matches) this.results[0].closest('fieldset').scrollIntoView({ block: 'nearest' });
  }

  // The unit each field's text is read in, as the lists show it ("%" for a percentage).
  fieldUnits() {
    return this.form.fields.map((field) => {
      const kind = this.form.units.findIndex((unit) => unit.name === field.unit);
      return kind < 0 ? '%' : this.lists[kind].selectedOptions[0].text;
    });
  }

  // A printed page is the record of the calculation: the uncertainty section
  // open when it has a budget to show, closed again after.
  printOpensUncertainty() {
    let wasOpen = false;
    addEventListener('beforeprint', () => {
      wasOpen = this.uncertainty.details.open;
      this.uncertainty.details.open = !this.uncertainty.budgets.hidden;
    });
    addEventListener('afterprint', () => (this.uncertainty.details.open = wasOpen));
  }

  // What a reading is read with besides its texts: the units and the rules
  // (the settings of a log too, in addressOf's words).
  readingOptions() {
    return { units: this.lists.map((list) => list.selectedIndex), lenient: this.lenient, decimalComma: this.mark.value === ',' };
  }

  // The settings of what the form shows, and the record's texts.
  requestSettings() {
    const texts = this.inputs.map((input) => input.value);
    return { texts, ...this.uncertainty.settings(this.mark.value), ...this.readingOptions(),
      check: this.check.settings(), record: this.recordFields.settings() };
  }

  // One press of Execute Calculation: the four results, or the message and
  // nothing changed. The settings of the reading shown, or null when refused.
  calculate() {
    this.monteCarlo.clear();
    // The request is the address of what the form shows.
    const settings = this.requestSettings();
    const { texts } = settings;
    const options = this.readingOptions();
    const request = addressOf(this.form, settings);
    const reading = this.core.reading(request);
    if (reading.error !== null) {
      this.refuse(reading.error);
      return null;
    }
    const outcome = shownReading(reading, this.mark.value);
    this.message.textContent = '';
    this.warnings.textContent = warningsText(reading);
    this.shown = reading;
    this.uncertainty.show(reading, this.mark.value);
    this.check.show(reading, this.mark.value);
    this.showResults(outcome);
    this.record.textContent = `Calculated ${localTimeText(new Date())} with Kestrane ${this.form.version}`;
    this.followAddress(settings);
    this.updateChart(options, texts, outcome.values[KestranePage.altitudeField], reading.results.calculated_gas_pct.text);
    return settings;
  }

  // Run Monte Carlo: the reading calculated, then its draws in the worker; the
  // address names the run, so that opening it runs it again.
  runMonteCarlo() {
    const settings = this.calculate();
    if (!settings) return;
    const run = { ...settings, monteCarlo: this.monteCarlo.request() };
    const request = addressOf(this.form, run);
    this.followAddress(run);
    this.monteCarlo.run(request, (reading) => {
      if (reading.error !== null) return this.refuse(reading.error);
      this.shown = reading;
      this.warnings.textContent = warningsText(reading);
      this.monteCarlo.show(reading.monte_carlo, this.mark.value);
      this.announcement.textContent = inMark(this.monteCarlo.text.textContent.split('\n')[1] ?? '', this.mark.value);
    });
  }

  // A record's text changed: the address carries it with the reading shown
  // (or, before any, with what the form shows).
  recordChanged() {
    this.followAddress({ ...(this.addressSettings ?? this.requestSettings()), record: this.recordFields.settings() });
  }

  // The address follows the reading, replacing itself so that no history piles
  // up; written once the results are on screen, as a browser takes a couple of
  // milliseconds over it, and only the latest when presses come faster.
  followAddress(settings) {
    this.addressSettings = settings;
    const pending = this.pendingAddress;
    this.pendingAddress = `#${addressOf(this.form, settings)}`;
    if (pending !== undefined) return;
    requestAnimationFrame(() => setTimeout(() => {
      if (this.pendingAddress !== location.hash) history.replaceState(null, '', this.pendingAddress);
      this.pendingAddress = undefined;
    }));
  }

  // Runs the core once for each altitude across the chart, the other fields as
  // entered; a refused run or a result that is not a number is a gap.
  chartPoints(options, texts, xMax) {
    const points = [];
    const point = options.decimalComma ? ',' : '.';
    // Each point's request is the reading's own with another altitude.
    const parts = addressParts(this.form, { ...options, texts });
    for (let i = 0; i <= KestranePage.chartSteps; ++i) {
      const altitude = (xMax * i) / KestranePage.chartSteps;
      const altitudeText = String(altitude).replace('.', point);
      parts[KestranePage.altitudeField] = fieldPart(this.form, KestranePage.altitudeField, altitudeText);
      const gas = this.core.reading(parts.join('&')).results?.calculated_gas_pct.text ?? null;
      points.push({ altitude, altitudeText, gasText: gas && point === ',' ? gas.replace('.', ',') : gas, gas: gas === null ? NaN : Number(gas) });
    }
    return points;
  }

  // The chart for the reading just calculated, whose altitude the core read as
  // `altitude` and whose gas it wrote as `gas` (with a decimal point).
  updateChart(options, texts, altitude, gas) {
    const unitText = this.lists[2].selectedOptions[0].text;
    const span = KestranePage.chartSpans[options.units[2]] ?? KestranePage.chartSpans[0];
    const xMax = altitude > span ? roundUp(altitude) : span;
    const point = options.decimalComma ? ',' : '.';
    const altitudeText = String(+altitude.toPrecision(7)).replace('.', point);
    const label = `${gas.replace('.', point)} % at ${altitudeText} ${unitText.toLowerCase()}`;
    this.chart = {
      points: this.chartPoints(options, texts, xMax),
      xMax,
      xTitle: `${this.form.fields[KestranePage.altitudeField].label} (${unitText})`,
      yTitle: this.form.results[0].label,
      marker: Number.isFinite(Number(gas)) && Number.isFinite(altitude) ? { altitude, gas: Number(gas), label } : null,
      decimalComma: options.decimalComma,
    };
    this.drawChart();
  }

  drawChart() {
    const { markup, width, height } = chartMarkup({ ...this.chart, width: this.chartWidth });
    this.chartDrawing.setAttribute('viewBox', `0 0 ${width} ${height}`);
    this.chartDrawing.innerHTML = markup;
    this.chartNote.hidden = markup !== '';
    this.chartNote.textContent = markup === '' ? 'No point of this reading has a value to draw.' : '';
    // The chart's values in words, for whoever cannot see it.
    const { xTitle, yTitle, points, marker } = this.chart;
    const values = points.map((p) => `${p.altitudeText}: ${p.gasText ?? 'no value'}`).join('; ');
    this.chartValues.textContent = `${yTitle} at each ${xTitle}: ${values}.${marker ? ` Marked: ${marker.label}.` : ''}`;
  }
}

// A moment as the record states it: local date, time and offset from UTC,
// "2026-12-07 19:30:05 UTC+01:00", the same in every language.
function localTimeText(date) {
  const two = (n) => String(Math.abs(n)).padStart(2, '0');
  const offset = -date.getTimezoneOffset();
  const day = `${date.getFullYear()}-${two(date.getMonth() + 1)}-${two(date.getDate())}`;
  const time = `${two(date.getHours())}:${two(date.getMinutes())}:${two(date.getSeconds())}`;
  return `${day} ${time} UTC${offset < 0 ? '-' : '+'}${two(Math.trunc(offset / 60))}:${two(offset % 60)}`;
}

// The smallest round number (1, 2, 2.5 or 5 times a power of ten) at or above value.
function roundUp(value) {
  const power = 10 ** Math.floor(Math.log10(value));
  return [1, 2, 2.5, 5, 10].map((f) => f * power).find((v) => v >= value);
}

// The module's bytes, inlined in the page gzipped and in base64; the
// browser's own decompression unpacks them, no fetch involved.
async function moduleBytes() {
  const text = atob(document.getElementById('kestrane-module').textContent.trim());
  const packed = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) packed[i] = text.charCodeAt(i);
  const unpacked = new Blob([packed]).stream().pipeThrough(new DecompressionStream('gzip'));
  return new Uint8Array(await new Response(unpacked).arrayBuffer());
}

// The module compiles at once, while the rest of the page is parsed; the form
// is wired up when both are done.
if (typeof document === 'object') {
  const bytes = moduleBytes();
  const loading = bytes.then(loadKestrane);
  document.addEventListener('DOMContentLoaded', () => {
    const page = new KestranePage(document);
    Promise.all([loading, bytes]).then(([core, moduleBytes]) => page.ready(core, moduleBytes), (error) => page.failed(error));
  });
}
