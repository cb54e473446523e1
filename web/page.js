// The page: fills the form with the core's texts, runs a correction on Execute
// Calculation (or Enter), shows the four results or the one message, and
// redraws the chart of the calculated gas against altitude.
'use strict';

// The form and chart of one page, and the core that calculates for them.
class KestranePage {
  static altitudeField = 4;
  static chartSteps = 50;
  // The altitudes the chart spans, by distance unit, unless the current one lies beyond: 10,000 ft or 3,000 m.
  static chartSpans = [10000, 3000];

  constructor(document) {
    this.form = document.getElementById('correction');
    this.button = document.getElementById('execute');
    this.message = document.getElementById('message');
    this.inputs = [...this.form.querySelectorAll('[data-field]')];
    this.results = [...this.form.querySelectorAll('[data-result]')];
    this.lists = Object.fromEntries([...this.form.querySelectorAll('[data-unit]')].map((s) => [s.dataset.unit, s]));
    this.chartFigure = document.getElementById('chart');
    this.chartDrawing = document.getElementById('chart-drawing');
    this.chartNote = document.getElementById('chart-note');
    this.core = null;
    this.chart = null;
    this.chartWidth = 600; // kept by a resize observer, so a calculation forces no extra layout
  }

  // Wires up the form once the core is loaded: its texts, the button, Enter, the chart's width.
  ready(core) {
    this.core = core;
    this.fillForm();
    this.form.addEventListener('submit', (event) => {
      event.preventDefault();
      this.calculate();
    });
    // Enter in a list runs the calculation too, as it does in a field.
    this.form.addEventListener('keydown', (event) => {
      if (event.key === 'Enter' && event.target instanceof HTMLSelectElement) {
        event.preventDefault();
        this.button.click();
      }
    });
    new ResizeObserver(([entry]) => {
      this.chartWidth = Math.round(entry.contentRect.width);
      if (this.chart) this.drawChart();
    }).observe(this.chartFigure);
    this.button.disabled = false;
    performance.mark('kestrane-ready');
  }

  failed(error) {
    this.message.textContent = `This browser cannot run the calculation (${error.message}).`;
  }

  // Labels, list entries and default texts, all as the core has them.
  fillForm() {
    const labelFor = (element) => this.form.querySelector(`label[for="${element.id}"]`);
    const texts = (kind) => this.core.formTexts(kind);
    texts(KestraneText.fieldLabel).forEach((text, i) => (labelFor(this.inputs[i]).textContent = text));
    texts(KestraneText.resultLabel).forEach((text, i) => (labelFor(this.results[i]).textContent = text));
    texts(KestraneText.defaultText).forEach((text, i) => (this.inputs[i].value = text));
    const unitKinds = {
      temperature: KestraneText.temperatureUnit,
      pressure: KestraneText.pressureUnit,
      distance: KestraneText.distanceUnit,
    };
    for (const [unit, list] of Object.entries(this.lists)) {
      list.replaceChildren(...texts(unitKinds[unit]).map((text) => new Option(text)));
      list.selectedIndex = 0;
    }
  }

  selectedUnits() {
    const { temperature, pressure, distance } = this.lists;
    return { temperature: temperature.selectedIndex, pressure: pressure.selectedIndex, distance: distance.selectedIndex };
  }

  // One press of Execute Calculation: the four results, or the message and nothing changed.
  calculate() {
    this.inputs.forEach((input, field) => this.core.setField(field, input.value));
    const units = this.selectedUnits();
    const outcome = this.core.run(units);
    if (outcome.message) {
      this.message.textContent = outcome.message;
      return;
    }
    const altitude = this.core.fieldValue(KestranePage.altitudeField);
    outcome.results.forEach((text, i) => (this.results[i].value = text));
    this.message.textContent = '';
    this.updateChart(units, altitude, outcome.results[0]);
  }

  // Runs the core once for each altitude across the chart, the other fields as
  // they were last set; a refused run or a result that is not a number is a gap.
  chartPoints(units, xMax) {
    const points = [];
    for (let i = 0; i <= KestranePage.chartSteps; ++i) {
      const altitudeText = String((xMax * i) / KestranePage.chartSteps);
      this.core.setField(KestranePage.altitudeField, altitudeText);
      const outcome = this.core.run(units);
      const gasText = outcome.results ? outcome.results[0] : null;
      points.push({ altitude: Number(altitudeText), altitudeText, gasText, gas: gasText === null ? NaN : Number(gasText) });
    }
    return points;
  }

  // The chart for the reading just calculated, whose altitude the core read as `altitude`.
  updateChart(units, altitude, gasText) {
    const unitText = this.lists.distance.selectedOptions[0].text;
    const span = KestranePage.chartSpans[units.distance] ?? KestranePage.chartSpans[0];
    const xMax = altitude > span ? roundUp(altitude) : span;
    const gas = Number(gasText);
    const label = `${gasText} % at ${+altitude.toPrecision(7)} ${unitText.toLowerCase()}`;
    this.chart = {
      points: this.chartPoints(units, xMax),
      xMax,
      xTitle: `${this.inputs[KestranePage.altitudeField].labels[0].textContent} (${unitText})`,
      yTitle: this.results[0].labels[0].textContent,
      marker: Number.isFinite(gas) && Number.isFinite(altitude) ? { altitude, gas, label } : null,
    };
    this.drawChart();
  }

  drawChart() {
    const { markup, width, height } = chartMarkup({ ...this.chart, width: this.chartWidth });
    this.chartDrawing.setAttribute('viewBox', `0 0 ${width} ${height}`);
    this.chartDrawing.innerHTML = markup;
    this.chartNote.hidden = markup !== '';
    this.chartNote.textContent = markup === '' ? 'No point of this reading has a value to draw.' : '';
  }
}

// The smallest round number (1, 2, 2.5 or 5 times a power of ten) at or above value.
function roundUp(value) {
  const power = 10 ** Math.floor(Math.log10(value));
  return [1, 2, 2.5, 5, 10].map((f) => f * power).find((v) => v >= value);
}

// The module's bytes, inlined in base64 in the page.
function moduleBytes() {
  const text = atob(document.getElementById('kestrane-module').textContent.trim());
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  return bytes;
}

// The module compiles at once, while the rest of the page is parsed; the form
// is wired up when both are done.
{
  const loading = loadKestrane(moduleBytes());
  document.addEventListener('DOMContentLoaded', () => {
    const page = new KestranePage(document);
    loading.then((core) => page.ready(core), (error) => page.failed(error));
  });
}
