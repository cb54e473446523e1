// The page's form as its users and their screen readers meet it: every control
// found by its accessible name, a reading entered, a press, the outcome read back.
// `page` is a page of any engine in engines.mjs.

export const fieldNames = ['Target Gas (% Vol)', 'Target Pressure', 'Barometric Pressure', 'Temperature', 'Altitude',
  'Relative Humidity (%)'];
export const listNames = ['Temperature Units', 'Pressure Units', 'Distance Units'];
export const resultNames = ['Calculated Gas (% Vol)', 'Calculated Gas Pressure', 'Vapor Pressure (%)',
  'Corrected Barometer'];
export const defaultTexts = ['20.95', '30.00', '30.00', '75', '   0', ' 50'];
export const defaultUnits = ['Degrees F', 'In Hg', 'Feet'];

// The controls of a page, by accessible name and role (the lists by the role
// the engine gives a drop-down list).
export async function formControls(page) {
  const queries = [
    ...fieldNames.map((name) => [name, 'textbox']),
    ...listNames.map((name) => [name, page.listRole]),
    ...resultNames.map((name) => [name, 'textbox']),
    ['Execute Calculation', 'button'],
    [null, 'alert'],
  ];
  const found = await page.findAll(queries);
  return {
    page,
    fields: found.slice(0, 6),
    lists: found.slice(6, 9),
    results: found.slice(9, 13),
    button: found[13],
    alert: found[14],
  };
}

// Enters a reading ({texts, units}: six field texts and three list texts, each
// left as it is when undefined), presses Execute Calculation and gives what
// the page shows: {message} when refused, else {results}.
export async function runReading(controls, reading) {
  const { page, fields, lists, results, button, alert } = controls;
  return page.evaluate(
    (press, texts, units, alertElement, ...elements) => {
      const fieldElements = elements.slice(0, 6), listElements = elements.slice(6, 9), resultElements = elements.slice(9);
      texts.forEach((text, i) => text !== null && (fieldElements[i].value = text));
      units.forEach((unit, i) => {
        if (unit === null) return;
        listElements[i].selectedIndex = [...listElements[i].options].findIndex((o) => o.text === unit);
      });
      press.click();
      const message = alertElement.textContent;
      return message ? { message } : { results: resultElements.map((r) => r.value) };
    },
    button, reading.texts?.map((t) => t ?? null) ?? [], reading.units?.map((u) => u ?? null) ?? [], alert,
    ...fields, ...lists, ...results,
  );
}
