// A small client of the W3C WebDriver protocol, as chromedriver speaks it: only what the
// browser tests use. Every call is bounded in time and fails with the driver's message.

const ELEMENT_KEY = 'element-6066-11e4-a52e-4f735466cecf';
const CALL_TIMEOUT_MS = 30000;

function bySelector(selector) {
    return { using: 'css selector', value: selector };
}

export class WebDriver {
    constructor(driverUrl) {
        this.driverUrl = driverUrl;
        this.sessionId = null;
    }

    async call(method, path, body) {
        const response = await fetch(this.driverUrl + path, {
            method,
            headers: { 'Content-Type': 'application/json' },
            body: body === undefined ? undefined : JSON.stringify(body),
            signal: AbortSignal.timeout(CALL_TIMEOUT_MS),
        });
        const answer = await response.json();
        if (!response.ok) {
            const error = answer.value || {};
            throw new Error(`${method} ${path}: ${error.error}: ${error.message}`);
        }
        return answer.value;
    }

    session(method, path, body) {
        return this.call(method, `/session/${this.sessionId}${path}`, body);
    }

    // Starts the browser: `binary` with `args`, no other browser is looked for.
    async start(binary, args) {
        const value = await this.call('POST', '/session', {
            capabilities: {
                alwaysMatch: {
                    browserName: 'chrome',
                    'goog:chromeOptions': { binary, args },
                },
            },
        });
        this.sessionId = value.sessionId;
    }

    async quit() {
        if (this.sessionId !== null) await this.session('DELETE', '');
        this.sessionId = null;
    }

    open(url) { return this.session('POST', '/url', { url }); }
    url() { return this.session('GET', '/url'); }
    title() { return this.session('GET', '/title'); }
    script(source, ...args) {
        return this.session('POST', '/execute/sync', { script: source, args });
    }

    // The PNG of the viewport.
    async screenshot() {
        return Buffer.from(await this.session('GET', '/screenshot'), 'base64');
    }

    async find(selector) {
        const found = await this.session('POST', '/element', bySelector(selector));
        return new Element(this, found[ELEMENT_KEY]);
    }

    async findAll(selector) {
        const found = await this.session('POST', '/elements', bySelector(selector));
        return found.map((entry) => new Element(this, entry[ELEMENT_KEY]));
    }

    // Polls `condition` until it gives a true value (which is returned); fails after
    // `timeoutMs` with `what` in the message.
    async waitFor(what, condition, timeoutMs = 10000) {
        const end = Date.now() + timeoutMs;
        for (;;) {
            let result = false;
            try {
                result = await condition();
            } catch (error) {
                // The page may be between two documents; try again.
            }
            if (result) return result;
            if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
            await new Promise((resolve) => setTimeout(resolve, 100));
        }
    }
}

class Element {
    constructor(driver, id) {
        this.driver = driver;
        this.id = id;
    }

    call(method, path, body) {
        return this.driver.session(method, `/element/${this.id}${path}`, body);
    }
    click() { return this.call('POST', '/click', {}); }
    clear() { return this.call('POST', '/clear', {}); }
    type(text) { return this.call('POST', '/value', { text }); }
    property(name) { return this.call('GET', `/property/${name}`); }
    attribute(name) { return this.call('GET', `/attribute/${name}`); }
    text() { return this.call('GET', '/text'); }
}
