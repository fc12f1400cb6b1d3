// The Configuration Manager as a technician uses it, in headless Chromium driven over WebDriver.
// A password is set first: the page asks for it, a wrong one is refused, the right one signs in.
// TOL Settings: reject, correct, store, and remove the settings (declined once, then confirmed);
// a removal posted by a page of another site changes nothing. Then every page through the
// navigation, and Device Configuration saved and read back. Signing out ends the session: a
// page opened afterwards asks for the password again. Runs in the private root of browser-test.
//   node configuration-manager.mjs SOURCE_DIR PROGRAMS SCREENSHOT_DIR
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import { once } from 'node:events';
import { cpSync, mkdirSync, mkdtempSync, readFileSync, symlinkSync, writeFileSync } from 'node:fs';

const [SOURCE, PROGRAMS, SHOTS] = process.argv.slice(2);
const SITE = 'http://127.0.0.1:8080', DRIVER = 'http://127.0.0.1:9515', WATCHDOG_MS = 90000;
const CHROMIUM_FLAGS = `--headless --no-sandbox --disable-gpu --no-first-run --disable-dev-shm-usage
    --hide-scrollbars --window-size=1024,768 --user-data-dir=${mkdtempSync('/tmp/chromium-')}`;
const TITLE = 'ORVA Configuration Manager - TOL Settings', PASSWORD = 'Workshop-7';
const KEYS = { outlet: 'tol.outlet', dealer: 'tol.dealer', toladdress: 'tol.address',
    tolport: 'tol.port', tolurl: 'tol.extendedurl', dns1: 'dns.server.1', dns2: 'dns.server.2' };
const WPA_CONF = '/config/wpa_supplicant.conf';
const FIELDS = Object.keys(KEYS), EMPTY = Object.fromEntries(FIELDS.map((name) => [name, '']));
let session = null, sessionId = null, taken = 0;

// WebDriver commands. Any one answer, and any state waited for, gets WATCHDOG_MS: then a hang.
const hang = (what) => new Error(`hang: no ${what} within ${WATCHDOG_MS / 1000} s`);
const watchdog = () => AbortSignal.timeout(WATCHDOG_MS);
async function call(method, path, body) {
    const response = await fetch(DRIVER + path, { method, body: body && JSON.stringify(body),
        headers: { 'Content-Type': 'application/json' }, signal: watchdog() })
        .catch((e) => { throw e.name === 'TimeoutError' ? hang(`answer to ${path}`) : e; });
    const { value } = await response.json();
    if (!response.ok) throw new Error(`${method} ${path}: ${value?.error}: ${value?.message}`);
    return value;
}
const command = (method, path, body) => call(method, `/session/${session}${path}`, body);
const script = (source, ...args) => command('POST', '/execute/sync', { script: source, args });
const find = async (selector) => Object.values(
    await command('POST', '/element', { using: 'css selector', value: selector }))[0];

async function waitFor(what, condition) {
    for (const end = Date.now() + WATCHDOG_MS; Date.now() < end;) {
        if (await condition().catch(() => false)) return;  // may be between two documents
        await new Promise((resolve) => setTimeout(resolve, 100));
    }
    throw hang(what);
}

async function screenshot(name) {
    const file = `${SHOTS}/${String(++taken).padStart(2, '0')}-${name}.png`;
    writeFileSync(file, Buffer.from(await command('GET', '/screenshot'), 'base64'));
    console.log(`step ${taken}: ${name} (${file})`);
}

function storedSettings(keys = KEYS) {  // the fields' properties in the agent configuration
    const lines = readFileSync('/config/agent.configuration', 'latin1').split('\n');
    const stored = Object.fromEntries(lines.map((line) => line.split(/=(.*)/s)));
    return Object.fromEntries(Object.keys(keys).filter((name) => keys[name] in stored)
        .map((name) => [name, stored[keys[name]]]));
}

async function fill(values) {
    for (const [name, text] of Object.entries(values)) {
        const element = `/element/${await find(`input[name="${name}"]`)}`;
        await command('POST', `${element}/clear`, {});
        await command('POST', `${element}/value`, { text });
    }
}

// Presses a button and waits until the browser shows the next document.
async function press(button) {
    await script('document.documentElement.dataset.seen = "1";');
    await command('POST', `/element/${await find(`[type=submit][name="${button}"]`)}/click`, {});
    await waitFor(`answer to "${button}"`, () => script(
        'return document.readyState === "complete" && !document.documentElement.dataset.seen;'));
}

// What the page shows: its address, title, session, the fields' values, marks and messages.
const shown = () => script(`const all = (selector) => [...document.querySelectorAll(selector)];
    const value = (name) => document.querySelector('input[name="' + name + '"]').value;
    return { url: location.href, title: document.title, sessionId: value('sessionid'),
        values: Object.fromEntries(arguments[0].map((name) => [name, value(name)])),
        marked: all('input.wrong').map((e) => e.name), disabled: all('input:disabled').length,
        messages: all('span.message').map((e) => e.innerText),
        active: all('#navigation li.active a').map((e) => e.innerText),
        logo: all('img.Logo').map((e) => e.naturalWidth > 0),
        header: getComputedStyle(document.getElementById('Header')).backgroundColor };`, FIELDS);

// Presses the buttons; then the page is the settings page of this session, showing `values`
// with the fields `marked` by `messages`, and the agent configuration holds `stored`.
async function step(buttons, shot, values, stored, marked = [], messages = []) {
    for (const button of buttons) await press(button);
    const page = await shown(), url = new URL(page.url);
    assert.deepEqual([page.title, url.pathname, url.searchParams.get('sessionid'), page.sessionId],
        [TITLE, '/zelconf/tolsettings.cgi', sessionId, sessionId]);
    assert.deepEqual([page.values, page.marked, page.messages], [values, marked, messages]);
    assert.deepEqual(storedSettings(), stored);
    await screenshot(shot);
}

// Follows a navigation item; then its page is shown, marked active, in the same session.
async function navigate(label, shot) {
    await script('document.documentElement.dataset.seen = "1";');
    const link = await command('POST', '/element', { using: 'xpath', value: `//*[@id="navigation"]//a[.="${label}"]` });
    await command('POST', `/element/${Object.values(link)[0]}/click`, {});
    await waitFor(`page "${label}"`, () => script(
        'return document.readyState === "complete" && !document.documentElement.dataset.seen;'));
    const page = await script(`return { title: document.title, session: new URL(location).searchParams.get('sessionid'),
        active: [...document.querySelectorAll('#navigation li.active a')].map((e) => e.innerText) };`);
    assert.deepEqual(page, { title: `ORVA Configuration Manager - ${label}`, session: sessionId, active: [label] });
    await screenshot(shot);
}

// Chooses an option of a list; a list that shows the page again for its choice is waited for.
async function choose(name, value, reloads = false) {
    if (reloads) await script('document.documentElement.dataset.seen = "1";');
    await command('POST', `/element/${await find(`select[name="${name}"] option[value="${value}"]`)}/click`, {});
    if (reloads) {
        await waitFor(`page for ${name} ${value}`, () => script(
            'return document.readyState === "complete" && !document.documentElement.dataset.seen;'));
    }
}

// The fields' values, which of them are editable, and the messages above the form.
const form = (names) => script(`const field = (name) => document.querySelector('[name="' + name + '"]');
    return { values: Object.fromEntries(arguments[0].map((name) => [name, field(name).value])),
        editable: arguments[0].filter((name) => !field(name).disabled),
        notes: [...document.querySelectorAll('.Page > p, .Page > div > p')].map((e) => e.innerText) };`, names);

// Automatic addresses make the address fields read-only at once; typed by hand they are saved,
// and the page says where it will be.
async function lanSettings() {
    const LAN = { discovermode: 'network.config.discover.mode', ip: 'network.config.static.ip',
        netmask: 'network.config.static.netmask', gateway: 'network.config.static.gateway' };
    const names = Object.keys(LAN);
    await navigate('LAN Settings', 'lan-settings');
    await choose('discovermode', '3', true);
    assert.deepEqual((await form(names)).editable, ['discovermode']);
    await choose('discovermode', '1', true);
    const typed = { discovermode: '1', ip: '192.168.10.20', netmask: '255.255.255.0', gateway: '192.168.10.1' };
    await fill({ ip: typed.ip, netmask: typed.netmask, gateway: typed.gateway });
    await press('submit');
    assert.deepEqual(await form(names), { values: typed, editable: names, notes: ['The settings were saved.',
        'Once the device applies these settings, this page is at http://192.168.10.20:8080/zelconf/lansettings.cgi.'] });
    assert.deepEqual(storedSettings(LAN), typed);
    await screenshot('lan-settings-saved');
}

// WPA2 Personal, then the device's own access point: each saved with its key, which the page
// never shows again, and written into the wpa_supplicant configuration.
async function wlanSettings() {
    const WLAN = { security: 'wlan.conf.infra.security.level', ssid: 'wlan.conf.infra.ssid',
        psk: 'wlan.conf.infra.psk', apssid: 'wlan.conf.ap.ssid', appsk: 'wlan.conf.ap.psk' };
    await navigate('WLAN Settings', 'wlan-settings');
    await choose('security', '105', true);
    await fill({ ssid: 'workshop', psk: 'secret key' });
    await choose('band', '0');
    await press('submit');
    assert.deepEqual((await form(['security', 'psk', 'band'])).values, { security: '105', psk: '', band: '0' });
    assert.deepEqual(storedSettings(WLAN), { security: '105', ssid: 'workshop', psk: 'secret key' });
    assert.match(readFileSync(WPA_CONF, 'latin1'), /ssid="workshop"\n[^]*psk="secret key"\n}\n$/);
    await screenshot('wlan-wpa2-personal-saved');
    await choose('security', '109', true);
    assert.deepEqual((await form(['ssid', 'apssid', 'appsk', 'apchannel'])).editable, ['apssid', 'appsk', 'apchannel']);
    await fill({ apssid: 'ORVA workshop', appsk: 'device key' });
    await choose('apchannel', '11');
    await press('submit');
    assert.deepEqual((await form(['security', 'appsk', 'psk'])).values, { security: '109', appsk: '', psk: '' });
    assert.deepEqual(storedSettings(WLAN), { security: '109', ssid: 'workshop', psk: 'secret key',
        apssid: 'ORVA workshop', appsk: 'device key' });
    assert.match(readFileSync(WPA_CONF, 'latin1'), /^network={\n  channel=11\n  mode=3\n  ssid="ORVA workshop"\n/);
    await screenshot('wlan-access-point-saved');
}

// The host name typed, a color and the mode chosen, saved, and shown again as stored.
async function deviceConfiguration() {
    const DEVICE = { hostname: 'orva.hostname', color: 'orva.color', kaldmode: 'kald.mode' };
    await navigate('Device Configuration', 'device-configuration');
    await fill({ hostname: 'workshop-3' });
    for (const [name, value] of [['color', 'blue'], ['kaldmode', 'KALD-Neo']]) {
        await command('POST', `/element/${await find(`select[name="${name}"] option[value="${value}"]`)}/click`, {});
    }
    await press('submit');
    const chosen = { hostname: 'workshop-3', color: 'blue', kaldmode: 'KALD-Neo' };
    assert.deepEqual(await script(`return Object.fromEntries(arguments[0].map((name) =>
        [name, document.querySelector('[name="' + name + '"]').value]));`, Object.keys(chosen)), chosen);
    assert.deepEqual(storedSettings(DEVICE), chosen);
    assert.equal(await script('return document.querySelector("p.saved").innerText;'), 'The settings were saved.');
    await screenshot('device-configuration-saved');
}

// The sign-in page is shown, asked to return to `page`, saying `message` (or nothing).
async function signInShown(page, message, shot) {
    const shownNow = await script(`const all = (selector) => [...document.querySelectorAll(selector)];
        return { title: document.title, page: document.querySelector('[name=page]').value,
            signOut: all('[name=signout]').length, message: all('.Page p.failure, .Page p.saved').map((e) => e.innerText) };`);
    assert.deepEqual(shownNow, { title: 'ORVA Configuration Manager - Sign In', page, signOut: 0,
        message: message ? [message] : [] });
    await screenshot(shot);
}

async function walk() {
    await command('POST', '/url', { url: `${SITE}/zelconf/tolsettings.cgi` });
    await signInShown('tolsettings.cgi', '', 'sign-in');
    await fill({ password: 'not-the-password' });
    await press('signin');
    await signInShown('tolsettings.cgi', 'Wrong password.', 'wrong-password');
    await fill({ password: PASSWORD });
    await press('signin');
    const { url: _url, sessionId: id, ...opened } = await shown();
    sessionId = id;
    assert.match(sessionId, /^\d+$/);
    assert.deepEqual(opened, { title: TITLE, values: EMPTY, marked: [], disabled: 0, messages: [],
        active: ['TOL Settings'], logo: [true], header: 'rgb(18, 60, 100)' });  // /style/ served
    await screenshot('opened');

    const entered = { outlet: '123', dealer: '42', toladdress: '10.0.0.2', tolport: '123456',
        tolurl: '/tol/upload', dns1: '10.0.0.1', dns2: '10.0.0.3' };
    await fill(entered);
    await screenshot('invalid-values-entered');
    await step(['submit'], 'outlet-and-port-marked', { ...entered, outlet: '', tolport: '' }, {},
        ['outlet', 'tolport'], ['Expected: 1 or 2 digits', 'Expected: 0 to 5 digits']);
    await fill({ outlet: '7', tolport: '5302' });
    const stored = { ...entered, outlet: '7', dealer: '000042', tolport: '5302' };
    await step(['submit'], 'settings-stored', stored, stored);

    // A page of another site (a data: document) posts the removal's "Yes": the browser sends no
    // session cookie with it, and nothing changes.
    const form = `<form method="post" action="${SITE}/zelconf/settolsettings.cgi">
        <input name="sessionid" value="${sessionId}">
        <input type="submit" name="removeyes" value="Yes">`;
    await command('POST', '/url', { url: `data:text/html,${encodeURIComponent(form)}` });
    await press('removeyes');
    assert.equal(await script('return document.body.innerText.trim();'),
        'Forbidden: sign in first at /zelconf/signin.cgi');
    assert.deepEqual(storedSettings(), stored);
    await screenshot('removal-from-another-site-refused');
    await command('POST', '/url', { url: `${SITE}/zelconf/tolsettings.cgi?sessionid=${sessionId}` });
    await step([], 'settings-kept', stored, stored);
    await press('remove');  // the confirmation, whose buttons the next steps press
    await screenshot('remove-confirmation');
    await step(['removeno'], 'remove-declined', stored, stored);
    await step(['remove', 'removeyes'], 'settings-removed', EMPTY, EMPTY);

    await navigate('Device Information', 'device-information');
    await deviceConfiguration();
    await lanSettings();
    await wlanSettings();
    await navigate('Self-Test', 'self-test');
    await press('run');
    assert.equal(await script('return document.querySelectorAll("table.Checks td.passed").length > 0;'), true);
    await navigate('TOL Settings', 'tol-settings-again');
    await press('signout');
    await signInShown('tolsettings.cgi', 'You have signed out.', 'signed-out');
    await command('POST', '/url', { url: `${SITE}/zelconf/deviceconfiguration.cgi?sessionid=${sessionId}` });
    await signInShown('deviceconfiguration.cgi', '', 'page-after-signing-out');
}

// The web server's folder as on the device, lighttpd handing the CGIs a sanitizer build's
// settings; the dialog shows all seven fields in this discovery mode.
cpSync(PROGRAMS, '/tmp/bin/configweb');
mkdirSync('/tmp/www/zelconf', { recursive: true });
// Only the CGIs: the web server hands out any other file of the folder as it is.
for (const name of spawnSync('/tmp/bin/configweb', ['--list']).stdout.toString().split('\n')) {
    if (name.endsWith('.cgi')) symlinkSync('/tmp/bin/configweb', `/tmp/www/zelconf/${name}`);
}
cpSync(`${SOURCE}/configweb/style`, '/tmp/www/style', { recursive: true });
// The CGIs get the search path of the root's tool stand-ins (iw), which lighttpd doesn't hand on.
const env = ['ASAN_OPTIONS', 'UBSAN_OPTIONS'].map((n) => `"${n}" => "${process.env[n] ?? ''}"`)
    .concat(['"PATH" => "/stubs/bin:/usr/bin:/bin"']);
writeFileSync('/tmp/lighttpd.conf', readFileSync(`${SOURCE}/scripts/lighttpd.conf`, 'latin1')
    .replaceAll('@PORT@', '8080').replaceAll('@WWW@', '/tmp/www') +
    `server.modules += ("mod_setenv")\nsetenv.add-environment = (${env.join(', ')})\n`);
// The device's status and identity files, as the pages would find them on the device.
assert.equal(spawnSync('sh', [`${SOURCE}/tests/support/complete-device`]).status, 0);
writeFileSync('/config/agent.configuration', 'network.config.discover.mode=1\n');
assert.equal(spawnSync('/tmp/bin/configweb', ['zelconfig', 'passwd'], { input: `${PASSWORD}\n` }).status, 0);
// The servers of the root; the end of one before the walk's fails the walk.
const servers = [['/usr/sbin/lighttpd', '-D', '-f', '/tmp/lighttpd.conf'],
    ['/usr/bin/chromedriver', '--port=9515', '--log-level=WARNING',
        '--log-path=/tmp/log/chromedriver.log']]
    .map(([program, ...args]) => spawn(program, args, { stdio: ['ignore', 'ignore', 'inherit'] }));
try {
    await Promise.race([...servers.map((server) => once(server, 'exit').then(([code, signal]) => {
        throw new Error(`${server.spawnfile} ended (${code ?? signal})`); })), (async () => {
        await waitFor('server answers', async () => (await fetch(`${SITE}/style/color.css`,
            { signal: watchdog() })).ok && (await call('GET', '/status')).ready);
        ({ sessionId: session } = await call('POST', '/session', { capabilities: { alwaysMatch: {
            browserName: 'chrome', 'goog:chromeOptions':
                { binary: '/usr/bin/chromium', args: CHROMIUM_FLAGS.split(/\s+/) } } } }));
        await walk();
    })()]);
    console.log(`passed: ${taken} steps`);
} catch (error) {
    console.error(`FAILED after step ${taken}: ${error.stack || error}`);
    if (session !== null) await screenshot('failure').catch(() => {});
    spawnSync('sh', ['-c', 'tail -n 50 /tmp/log/*.log'], { stdio: ['ignore', 2, 2] });
    process.exitCode = 1;
} finally {
    if (session !== null) await command('DELETE', '').catch(() => {});
    servers.forEach((server) => server.kill());
    process.exit();  // not waiting for a walk that a server's end cut short
}
