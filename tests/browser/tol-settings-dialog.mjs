// The TOL Settings dialog as a technician uses it, in headless Chromium: reject, correct,
// store, and remove the settings (declined once, then confirmed); a removal posted by a
// page of another site changes nothing. Runs inside the private device root next to the web
// server; a screenshot of each step goes to the screenshot folder.
// Usage: node tol-settings-dialog.mjs SITE_URL DRIVER_URL SCREENSHOT_DIR PROFILE_DIR
import assert from 'node:assert/strict';
import { readFileSync, writeFileSync } from 'node:fs';

import { WebDriver } from './WebDriver.mjs';

const [siteUrl, driverUrl, screenshotDir, profileDir] = process.argv.slice(2);
const CHROMIUM = '/usr/bin/chromium';
const CHROMIUM_ARGS = [
    '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--disable-dev-shm-usage', '--hide-scrollbars', '--force-device-scale-factor=1',
    '--window-size=1024,768', `--user-data-dir=${profileDir}`,
];
const AGENT_CONFIGURATION = '/config/agent.configuration';
const CHANGE_LIST = '/tmp/config_web_changes.lst';
const FIELDS = ['outlet', 'dealer', 'toladdress', 'tolport', 'tolurl', 'dns1', 'dns2'];
const KEYS = {
    outlet: 'tol.outlet', dealer: 'tol.dealer', toladdress: 'tol.address', tolport: 'tol.port',
    tolurl: 'tol.extendedurl', dns1: 'dns.server.1', dns2: 'dns.server.2',
};
const EMPTY = Object.fromEntries(FIELDS.map((name) => [name, '']));

const driver = new WebDriver(driverUrl);
let step = 0;

async function screenshot(name) {
    step += 1;
    const file = `${screenshotDir}/${String(step).padStart(2, '0')}-${name}.png`;
    writeFileSync(file, await driver.screenshot());
    console.log(`step ${step}: ${name} (${file})`);
}

function storedProperties() {
    const properties = {};
    for (const line of readFileSync(AGENT_CONFIGURATION, 'latin1').split('\n')) {
        const at = line.indexOf('=');
        if (at > 0) properties[line.slice(0, at)] = line.slice(at + 1);
    }
    return properties;
}

function storedSettings() {
    const properties = storedProperties();
    return Object.fromEntries(FIELDS.map((name) => [name, properties[KEYS[name]]]));
}

async function shownValues() {
    const values = {};
    for (const name of FIELDS) {
        values[name] = await (await driver.find(`input[name="${name}"]`)).property('value');
    }
    return values;
}

async function markedFields() {
    const marked = [];
    for (const input of await driver.findAll('input.wrong')) {
        marked.push(await input.attribute('name'));
    }
    return marked;
}

async function messages() {
    const texts = [];
    for (const span of await driver.findAll('span.message')) texts.push(await span.text());
    return texts;
}

async function fill(values) {
    for (const [name, value] of Object.entries(values)) {
        const input = await driver.find(`input[name="${name}"]`);
        await input.clear();
        await input.type(value);
    }
}

// Presses a button and waits until the browser shows the next document.
async function press(buttonName) {
    const before = await driver.script('return document.documentElement.dataset.seen = "1";');
    assert.equal(before, '1');
    await (await driver.find(`input[type="submit"][name="${buttonName}"]`)).click();
    await driver.waitFor(`the answer to "${buttonName}"`, () => driver.script(
        'return document.readyState === "complete" && !document.documentElement.dataset.seen;'));
}

async function expectSettingsPage(sessionId) {
    assert.equal(await driver.title(), 'ORVA Configuration Manager - TOL Settings');
    const url = new URL(await driver.url());
    assert.equal(url.pathname, '/zelconf/tolsettings.cgi');
    assert.equal(url.searchParams.get('sessionid'), sessionId);
    assert.equal(await (await driver.find('input[name="sessionid"]')).property('value'), sessionId);
}

async function openThePage() {
    await driver.open(`${siteUrl}/zelconf/tolsettings.cgi`);
    assert.equal(await driver.title(), 'ORVA Configuration Manager - TOL Settings');
    assert.equal(await (await driver.find('#navigation li.active a')).text(), 'TOL Settings');
    const sessionId = await (await driver.find('input[name="sessionid"]')).property('value');
    assert.match(sessionId, /^\d+$/);
    assert.deepEqual(await shownValues(), EMPTY);
    assert.equal(await (await driver.find('input[name="dns1"]')).property('disabled'), false);
    // The style sheets and the logo come from /style/.
    assert.ok(await driver.script('return document.querySelector("img.Logo").naturalWidth > 0;'));
    const header = 'return getComputedStyle(document.getElementById("Header")).backgroundColor;';
    assert.equal(await driver.script(header), 'rgb(18, 60, 100)');
    await screenshot('opened');
    return sessionId;
}

// A page of another site (here a data: document) that would remove the settings through the
// technician's browser: the device answers with its page and keeps the settings.
async function refuseRemovalFromAnotherSite(sessionId, stored) {
    const form = `<form method="post" action="${siteUrl}/zelconf/settolsettings.cgi">` +
        `<input name="sessionid" value="${sessionId}">` +
        '<input type="submit" name="removeyes" value="Yes"></form>';
    await driver.open(`data:text/html,${encodeURIComponent(form)}`);
    await press('removeyes');
    await expectSettingsPage(sessionId);
    assert.deepEqual(await shownValues(), stored);
    assert.deepEqual(storedSettings(), stored);
    await screenshot('removal-from-another-site-refused');
}

async function run() {
    const sessionId = await openThePage();

    const entered = {
        outlet: '123', dealer: '42', toladdress: '10.0.0.2', tolport: '123456',
        tolurl: '/tol/upload', dns1: '10.0.0.1', dns2: '10.0.0.3',
    };
    await fill(entered);
    await screenshot('invalid-values-entered');
    await press('submit');
    await expectSettingsPage(sessionId);
    assert.deepEqual(await markedFields(), ['outlet', 'tolport']);
    assert.deepEqual(await messages(), ['Expected: 1 or 2 digits', 'Expected: 0 to 5 digits']);
    assert.deepEqual(await shownValues(), { ...entered, outlet: '', tolport: '' });
    assert.equal(storedProperties()['tol.outlet'], undefined);
    await screenshot('outlet-and-port-marked');

    await fill({ outlet: '7', tolport: '5302' });
    await press('submit');
    await expectSettingsPage(sessionId);
    const stored = { ...entered, outlet: '7', dealer: '000042', tolport: '5302' };
    assert.deepEqual(await markedFields(), []);
    assert.deepEqual(await shownValues(), stored);
    assert.deepEqual(storedSettings(), stored);
    assert.match(readFileSync(CHANGE_LIST, 'latin1'), new RegExp(`^${sessionId};1$`, 'm'));
    await screenshot('settings-stored');

    await refuseRemovalFromAnotherSite(sessionId, stored);

    await press('remove');
    assert.equal(await (await driver.find('#changebuttons b')).text(),
        'Are you really sure to delete the settings for TOL Settings?');
    await screenshot('remove-confirmation');
    await press('removeno');
    await expectSettingsPage(sessionId);
    assert.deepEqual(await shownValues(), stored);
    assert.deepEqual(storedSettings(), stored);
    await screenshot('remove-declined');

    await press('remove');
    await press('removeyes');
    await expectSettingsPage(sessionId);
    assert.deepEqual(await shownValues(), EMPTY);
    assert.deepEqual(storedSettings(), EMPTY);
    await screenshot('settings-removed');
}

try {
    await driver.start(CHROMIUM, CHROMIUM_ARGS);
    await run();
    console.log(`passed: ${step} steps`);
} catch (error) {
    console.error(`FAILED after step ${step}: ${error.stack || error}`);
    if (driver.sessionId !== null) await screenshot('failure').catch(() => {});
    process.exitCode = 1;
} finally {
    await driver.quit().catch(() => {});
}
