// Draws the calculated gas concentration against altitude as inline SVG: a line
// through the points the core calculated, broken wherever a point has no value,
// with the current altitude marked and labelled.
'use strict';

// Round steps for an axis: 1, 2 or 5 times a power of ten, giving about `count` steps over `span`.
function chartStep(span, count) {
  const rough = span / count;
  const power = 10 ** Math.floor(Math.log10(rough));
  const step = [1, 2, 5, 10].map((f) => f * power).find((s) => s >= rough);
  return step;
}

// The tick values of an axis from low to high, and the decimals their labels need.
function chartTicks(low, high, count) {
  const step = chartStep(high - low, count);
  const decimals = Math.max(0, -Math.floor(Math.log10(step)));
  const ticks = [];
  for (let i = Math.ceil(low / step); i * step <= high + step * 1e-9; ++i) ticks.push(i * step);
  return { ticks, decimals };
}

// The runs of consecutive points that have a value: a point without one ends a run.
function chartSegments(points) {
  const segments = [[]];
  for (const point of points) {
    if (Number.isFinite(point.gas)) segments[segments.length - 1].push(point);
    else if (segments[segments.length - 1].length > 0) segments.push([]);
  }
  return segments.filter((segment) => segment.length > 0);
}

function chartEscape(text) {
  return String(text).replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
}

// The vertical range: every value drawn, the marker's included, with a margin;
// a flat line gets a range of its own.
function chartRange(values) {
  const low = Math.min(...values);
  const high = Math.max(...values);
  if (!(high > low)) return [low - 1, high + 1];
  const margin = (high - low) * 0.06;
  return [low - margin, high + margin];
}

// The SVG markup of the chart. chart: {points: [{altitude, altitudeText, gas,
// gasText}], xMax, marker: {altitude, gas, label} or null, xTitle, yTitle, width,
// decimalComma}.
function chartMarkup(chart) {
  const width = Math.max(300, chart.width);
  const height = 300;
  const box = { left: 58, right: width - 26, top: 32, bottom: height - 46 };
  const drawn = chart.points.filter((p) => Number.isFinite(p.gas)).map((p) => p.gas);
  if (chart.marker) drawn.push(chart.marker.gas);
  if (drawn.length === 0) return { width, height, markup: '' };
  const [yLow, yHigh] = chartRange(drawn);
  const x = (a) => box.left + ((box.right - box.left) * a) / chart.xMax;
  const y = (g) => box.bottom - ((box.bottom - box.top) * (g - yLow)) / (yHigh - yLow);
  const at = (n) => n.toFixed(1);
  // Tick labels in the page's decimal mark, as every other number on it.
  const label = (t, decimals) => (chart.decimalComma ? t.toFixed(decimals).replace('.', ',') : t.toFixed(decimals));

  // The grid is one path: every element less is less for the browser to lay out on each calculation.
  const parts = [];
  let grid = '';
  const xAxis = chartTicks(0, chart.xMax, Math.max(3, Math.floor((box.right - box.left) / 90)));
  for (const t of xAxis.ticks) {
    grid += `M${at(x(t))} ${box.top}V${box.bottom}`;
    parts.push(`<text x="${at(x(t))}" y="${box.bottom + 18}" text-anchor="middle">${label(t, xAxis.decimals)}</text>`);
  }
  const yAxis = chartTicks(yLow, yHigh, 5);
  for (const t of yAxis.ticks) {
    grid += `M${box.left} ${at(y(t))}H${box.right}`;
    parts.push(`<text x="${box.left - 6}" y="${at(y(t) + 4)}" text-anchor="end">${label(t, yAxis.decimals)}</text>`);
  }
  parts.push(`<path class="grid" d="${grid}"/>`);
  parts.push(`<rect class="frame" x="${box.left}" y="${box.top}" width="${box.right - box.left}" height="${box.bottom - box.top}"/>`);
  parts.push(`<text x="${(box.left + box.right) / 2}" y="${height - 8}" text-anchor="middle">${chartEscape(chart.xTitle)}</text>`);
  parts.push(`<text transform="translate(14 ${(box.top + box.bottom) / 2}) rotate(-90)" text-anchor="middle">${chartEscape(chart.yTitle)}</text>`);

  const path = chartSegments(chart.points)
    .map((segment) => segment.map((p, i) => `${i === 0 ? 'M' : 'L'}${at(x(p.altitude))} ${at(y(p.gas))}`).join(''))
    .join('');
  parts.push(`<path class="curve" d="${path}"/>`);
  // The points as dots of one path (a round cap on a zero-length stroke), their
  // texts beside them in the same order: one element however many points.
  const plotted = chart.points.filter((point) => Number.isFinite(point.gas));
  parts.push(
    `<path class="points" d="${plotted.map((p) => `M${at(x(p.altitude))} ${at(y(p.gas))}h0`).join('')}"` +
      ` data-altitudes="${chartEscape(plotted.map((p) => p.altitudeText).join(' '))}"` +
      ` data-gas="${chartEscape(plotted.map((p) => p.gasText).join(' '))}"/>`,
  );
  if (chart.marker) parts.push(chartMarker(chart.marker, x, y, box, width));
  return { width, height, markup: parts.join('') };
}

// The current altitude: a dashed line across the plot, a dot on the curve, and
// its label above the plot, where it never covers the curve.
function chartMarker(marker, x, y, box, width) {
  const mx = Math.min(Math.max(x(marker.altitude), box.left), box.right);
  const my = y(marker.gas);
  // About half the label's width in bold 13 px.
  const half = (marker.label.length * 7.5) / 2;
  const labelX = Math.min(Math.max(mx, half + 4), width - half - 4);
  return (
    '<g class="marker">' +
    `<line x1="${mx.toFixed(1)}" x2="${mx.toFixed(1)}" y1="${box.bottom}" y2="${box.top}"/>` +
    `<circle cx="${mx.toFixed(1)}" cy="${my.toFixed(1)}" r="5"/>` +
    `<text x="${labelX.toFixed(1)}" y="${box.top - 10}" text-anchor="middle">${chartEscape(marker.label)}</text></g>`
  );
}

if (typeof module === 'object') module.exports = { chartMarkup, chartSegments, chartTicks };
