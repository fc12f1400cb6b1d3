/* Shows a settings page again for the choice just made in one of its lists, with the
   values of the form as they stand (keys never leave the form), so that the fields that
   choice uses become editable at once. */
function showChoice(form) {
    var query = [];
    for (var i = 0; i < form.elements.length; i++) {
        var element = form.elements[i];
        if (element.name && element.type !== "password" && element.type !== "submit") {
            query.push(encodeURIComponent(element.name) + "=" + encodeURIComponent(element.value));
        }
    }
    window.location.search = "?" + query.join("&");
}
