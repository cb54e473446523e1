// The page: fills the form with the core's texts, runs a correction on Execute
// Calculation (or Enter), shows the four results or the one message, and
// redraws the chart of the calculated gas against altitude.
'use strict';

(function () {
  const form = document.getElementById('correction');
  const button = document.getElementById('execute');
  const message = document.getElementById('message');
  const inputs = [...form.querySelectorAll('[data-field]')];
  const results = [...form.querySelectorAll('[data-result]')];
  const lists = Object.fromEntries([...form.querySelectorAll('[data-unit]')].map((s) => [s.dataset.unit, s]));
  const chartFigure = document.getElementById('chart');
  const chartDrawing = document.getElementById('chart-drawing');
  const chartNote = document.getElementById('chart-note');
  const altitudeField = 4;
  const chartSteps = 50;
  // The altitudes the chart spans unless the current one lies beyond: 10,000 ft or 3,000 m.
  const chartSpans = [10000, 3000];
  let core = null;
  let lastChart = null;
  let chartWidth = 600; // kept by a resize observer, so a calculation forces no extra layout

  function moduleBytes() {
    const text = atob(document.getElementById('kestrane-module').textContent.trim());
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    return bytes;
  }

  // Labels, list entries and default texts, all as the core has them.
  function fillForm() {
    const labelFor = (element) => form.querySelector(`label[for="${element.id}"]`);
    core.formTexts(KestraneText.fieldLabel).forEach((text, i) => (labelFor(inputs[i]).textContent = text));
    core.formTexts(KestraneText.resultLabel).forEach((text, i) => (labelFor(results[i]).textContent = text));
    core.formTexts(KestraneText.defaultText).forEach((text, i) => (inputs[i].value = text));
    const unitTexts = {
      temperature: core.formTexts(KestraneText.temperatureUnit),
      pressure: core.formTexts(KestraneText.pressureUnit),
      distance: core.formTexts(KestraneText.distanceUnit),
    };
    for (const [kind, list] of Object.entries(lists)) {
      list.replaceChildren(...unitTexts[kind].map((text) => new Option(text)));
      list.selectedIndex = 0;
    }
  }

  function selectedUnits() {
    return {
      temperature: lists.temperature.selectedIndex,
      pressure: lists.pressure.selectedIndex,
      distance: lists.distance.selectedIndex,
    };
  }

  // The smallest round number (1, 2, 2.5 or 5 times a power of ten) at or above value.
  function roundUp(value) {
    const power = 10 ** Math.floor(Math.log10(value));
    return [1, 2, 2.5, 5, 10].map((f) => f * power).find((v) => v >= value);
  }

  // Runs the core once for each altitude across the chart, the other fields as
  // they were last set; a refused run or a result that is not a number is a gap.
  function chartPoints(units, xMax) {
    const points = [];
    for (let i = 0; i <= chartSteps; ++i) {
      const altitudeText = String((xMax * i) / chartSteps);
      core.setField(altitudeField, altitudeText);
      const outcome = core.run(units);
      const gasText = outcome.results ? outcome.results[0] : null;
      points.push({ altitude: Number(altitudeText), altitudeText, gasText, gas: gasText === null ? NaN : Number(gasText) });
    }
    return points;
  }

  function drawChart() {
    const { markup, width, height } = chartMarkup({ ...lastChart, width: chartWidth });
    chartDrawing.setAttribute('viewBox', `0 0 ${width} ${height}`);
    chartDrawing.innerHTML = markup;
    chartNote.hidden = markup !== '';
    chartNote.textContent = markup === '' ? 'No point of this reading has a value to draw.' : '';
  }

  // The chart for the reading just calculated, whose altitude the core read as `altitude`.
  function updateChart(units, altitude, gasText) {
    const unitText = lists.distance.selectedOptions[0].text;
    const span = chartSpans[units.distance] ?? chartSpans[0];
    const xMax = altitude > span ? roundUp(altitude) : span;
    const gas = Number(gasText);
    lastChart = {
      points: chartPoints(units, xMax),
      xMax,
      xTitle: `${inputs[altitudeField].labels[0].textContent} (${unitText})`,
      yTitle: results[0].labels[0].textContent,
      marker: Number.isFinite(gas) && Number.isFinite(altitude)
        ? { altitude, gas, label: `${gasText} % at ${+altitude.toPrecision(7)} ${unitText.toLowerCase()}` }
        : null,
    };
    drawChart();
  }

  // One press of Execute Calculation: the four results, or the message and nothing changed.
  function calculate() {
    inputs.forEach((input, field) => core.setField(field, input.value));
    const units = selectedUnits();
    const outcome = core.run(units);
    if (outcome.message) {
      message.textContent = outcome.message;
      return;
    }
    const altitude = core.fieldValue(altitudeField);
    outcome.results.forEach((text, i) => (results[i].value = text));
    message.textContent = '';
    updateChart(units, altitude, outcome.results[0]);
  }

  form.addEventListener('submit', (event) => {
    event.preventDefault();
    if (core) calculate();
  });
  // Enter in a list runs the calculation too, as it does in a field.
  form.addEventListener('keydown', (event) => {
    if (event.key === 'Enter' && event.target instanceof HTMLSelectElement) {
      event.preventDefault();
      button.click();
    }
  });
  new ResizeObserver(([entry]) => {
    chartWidth = Math.round(entry.contentRect.width);
    if (lastChart) drawChart();
  }).observe(chartFigure);

  loadKestrane(moduleBytes()).then(
    (loaded) => {
      core = loaded;
      fillForm();
      button.disabled = false;
      performance.mark('kestrane-ready');
    },
    (error) => {
      message.textContent = `This browser cannot run the calculation (${error.message}).`;
    },
  );
})();
